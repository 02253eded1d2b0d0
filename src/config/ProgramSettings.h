#pragma once

#include <QDateTime>
#include <QString>
#include <QSysInfo>

#include <optional>

// The settings and derived values held for the life of the process. Written only on the
// interface thread and only while no run is in progress.
struct ProgramSettings
{
    QString userfolder;           // data folder, always ends in "/"
    QString GLOBAL_lista;         // empty, or first argument + "_"
    QString GLOBAL_lista_caption; // empty, or first argument
    QString GLOBAL_ApplicationTitle = QStringLiteral("Arkivoda");
    // The word size of this build, as the About box shows it: " 64-bit" on a 64-bit build.
    QString GLOBAL_build = QStringLiteral(" %1-bit").arg(int(QSysInfo::WordSize));
    QString GLOBAL_Jezik = QStringLiteral("HR");
    QString BackupLokacijaAuto;                 // archive folder of automatic runs: empty, or ends in "/"
    QString BckName = QStringLiteral("Arhiva"); // archive-name prefix
    bool GLOBAL_StartToTray = false;
    bool GLOBAL_CloseToMinimize = false;
    bool GLOBAL_StartMinimized = false;
    bool GLOBAL_Report = true;
    bool GLOBAL_Provjera = true; // read the archive back and check it after each run
    int GLOBAL_Zadrzi = 0;       // automatic archives kept in the archive folder; 0 keeps all
    QString GLOBAL_Izuzeci;      // patterns of what runs leave out, separated by ";"
    bool GLOBAL_TimerEnabled = false;
    double GLOBAL_TimerTime = 0.0;    // time of day as a fraction of a day, 0 <= value < 1
    bool GLOBAL_TimerCatchUp = false; // a daily run missed while the program was not running starts late
    QString GLOBAL_UdaljenoCilj;   // rclone remote and folder each complete archive is copied to; empty: none
    int GLOBAL_UdaljenoZadrzi = 0; // archives kept at that target, the newest; 0 keeps all

    // Full name of the settings file of the selected list.
    QString settingsFileName() const;
    // Full name of the backup list file of the selected list.
    QString listFileName() const;
    // Full name of the lock file every change of those two files holds.
    QString lockFileName() const;
};

// The paths of the last archives, shown by the main window's labels LokacijaA and LokacijaR.
struct LastArchives
{
    QString FileA = QStringLiteral("-");
    QString FileR = QStringLiteral("-");
};

// Which run wrote an archive: the automatic run records "FileA", the manual run "FileR".
enum class LastArchiveKind { FileA, FileR };

// What a save in the settings window stores.
struct SettingsWindowValues
{
    QString Putanja; // archive folder for automatic runs
    QString BckName; // archive-name prefix
    bool StartToTray = false;
    bool CloseToTray = false;
    bool StartMinimized = false;
    bool Report = true;
    bool Verify = true;
    int Keep = 0;
    QString Exclusions;
    bool TimerEnabled = false; // the daily run is ticked on
    double TimerTime = 0.0;    // the picker's time of day, stored only while TimerEnabled
    bool CatchUp = false;      // a missed daily run starts late
};

// Moments the program records in the settings file, as ISO 8601 local date and time with its offset.
enum class RecordedMoment {
    LastAutomaticStart, // "Timer"/"Zadnje": the last automatic run began
    LastGoodBackup,     // "Last"/"Uspjesno": the last run whose archive got its final name ended
};

// Reads every stored setting into the settings through one accessor, in the start-up order
// (Jezik, FileR, FileA, Putanja, Datoteka, StartToTray, CloseToTray, StartMinimized, Report, Provjera,
// Zadrzi, Izuzeci, Time, Enabled, Nadoknadi); missing or unreadable values give their defaults. Returns the
// last archive paths.
LastArchives LoadProgramSettings(ProgramSettings &settings);

// Every write below holds the configuration's lock (ConfigLock) while it reads and rewrites the file, and
// throws EConfigError when the lock cannot be had.

// Records the path of the archive a run has just written under "Last"; throws EConfigError when
// the settings file cannot be written.
void WriteLastArchive(const ProgramSettings &settings, LastArchiveKind kind, const QString &archivePath);

// A recorded moment as the settings file holds it.
struct StoredMoment
{
    std::optional<QString> text; // the stored value; nothing when none is stored
    QDateTime moment;            // the moment it names, in local time; invalid without a readable one
};

// A recorded moment, or an invalid date-time when none is recorded or the value cannot be read.
QDateTime ReadRecordedMoment(const ProgramSettings &settings, RecordedMoment which);
// The same with the stored value, so that a value that cannot be read stays apart from none at all.
StoredMoment ReadStoredMoment(const ProgramSettings &settings, RecordedMoment which);
// Records a moment; throws EConfigError when the settings file cannot be written.
void WriteRecordedMoment(const ProgramSettings &settings, RecordedMoment which, const QDateTime &moment);

// Stores the interface language code under "Program"/"Jezik"; throws EConfigError on failure.
void WriteLanguage(const ProgramSettings &settings, const QString &code);

// Stores the remote copy's target and retention under "Udaljeno" ("Cilj", "Zadrzi") and applies them to
// the settings; throws EConfigError on failure.
void SaveRemoteCopySettings(ProgramSettings &settings, const QString &target, int keep);

// Stores a settings-window save and applies it to the settings, step by step: BckName, then the
// file keys Putanja, Datoteka, StartToTray, CloseToTray, StartMinimized, Report, Provjera, Zadrzi,
// Izuzeci, Time (only when the daily run is on, together with GLOBAL_TimerTime), GLOBAL_TimerEnabled and
// Enabled, Nadoknadi, then the five options, then BackupLokacijaAuto read back from the file. Throws
// EConfigError at the first failed write; what was stored and assigned before it stays.
void SaveSettingsWindow(ProgramSettings &settings, const SettingsWindowValues &values);

// Replaces the backup list file with the rows of the settings window (SaveStringGrid); throws
// EConfigError when it cannot be written.
void SaveBackupList(const ProgramSettings &settings, const QStringList &rows);
