#include "config/ProgramSettings.h"

#include "config/ConfigLock.h"
#include "config/ConfigPaths.h"
#include "config/IniFile.h"
#include "config/StringGrid.h"

#include <algorithm>
#include <utility>

namespace {
const QString kProgram = QStringLiteral("Program");
const QString kLokacijaAuto = QStringLiteral("LokacijaAuto");
const QString kLast = QStringLiteral("Last");
const QString kTimer = QStringLiteral("Timer");
const QString kUdaljeno = QStringLiteral("Udaljeno");

// Archive names are appended to the folder, so a folder typed without its final "/" gets one, as
// the data folder does; an empty value stays empty (no folder chosen).
QString ReadBackupLokacijaAuto(const IniFile &BckIni)
{
    QString folder = BckIni.ReadString(kLokacijaAuto, QStringLiteral("Putanja"), QString());
    if (!folder.isEmpty() && !folder.endsWith(u'/'))
        folder += u'/';
    return folder;
}
} // namespace

QString ProgramSettings::settingsFileName() const
{
    return SettingsFileName(userfolder, GLOBAL_lista);
}

QString ProgramSettings::listFileName() const
{
    return ListFileName(userfolder, GLOBAL_lista);
}

QString ProgramSettings::lockFileName() const
{
    return LockFileName(userfolder, GLOBAL_lista);
}

LastArchives LoadProgramSettings(ProgramSettings &settings)
{
    const IniFile BckIni(settings.settingsFileName());
    LastArchives last;
    settings.GLOBAL_Jezik = BckIni.ReadString(kProgram, QStringLiteral("Jezik"), QStringLiteral("HR"));
    last.FileR = BckIni.ReadString(kLast, QStringLiteral("FileR"), QStringLiteral("-"));
    last.FileA = BckIni.ReadString(kLast, QStringLiteral("FileA"), QStringLiteral("-"));
    settings.BackupLokacijaAuto = ReadBackupLokacijaAuto(BckIni);
    settings.BckName = BckIni.ReadString(kLast, QStringLiteral("Datoteka"), QStringLiteral("Arhiva"));
    settings.GLOBAL_StartToTray = BckIni.ReadBool(kProgram, QStringLiteral("StartToTray"), false);
    settings.GLOBAL_CloseToMinimize = BckIni.ReadBool(kProgram, QStringLiteral("CloseToTray"), false);
    settings.GLOBAL_StartMinimized = BckIni.ReadBool(kProgram, QStringLiteral("StartMinimized"), false);
    settings.GLOBAL_Report = BckIni.ReadBool(kProgram, QStringLiteral("Report"), true);
    settings.GLOBAL_Provjera = BckIni.ReadBool(kProgram, QStringLiteral("Provjera"), true);
    // A number that cannot be read, or a negative one, keeps every archive.
    settings.GLOBAL_Zadrzi =
        std::max(0, BckIni.ReadString(kLokacijaAuto, QStringLiteral("Zadrzi"), QString()).toInt());
    settings.GLOBAL_Izuzeci = BckIni.ReadString(kProgram, QStringLiteral("Izuzeci"), QString());
    settings.GLOBAL_TimerTime = BckIni.ReadTime(kTimer, QStringLiteral("Time"), 0.0);
    settings.GLOBAL_TimerEnabled = BckIni.ReadBool(kTimer, QStringLiteral("Enabled"), false);
    settings.GLOBAL_TimerCatchUp = BckIni.ReadBool(kTimer, QStringLiteral("Nadoknadi"), false);
    settings.GLOBAL_UdaljenoCilj = BckIni.ReadString(kUdaljeno, QStringLiteral("Cilj"), QString());
    // A number that cannot be read, or a negative one, keeps every copy: nothing is deleted by mistake.
    settings.GLOBAL_UdaljenoZadrzi =
        std::max(0, BckIni.ReadString(kUdaljeno, QStringLiteral("Zadrzi"), QString()).toInt());
    return last;
}

void WriteLastArchive(const ProgramSettings &settings, LastArchiveKind kind, const QString &archivePath)
{
    const IniFile BckIni(settings.settingsFileName());
    const ConfigLock lock(settings.lockFileName(), BckIni.fileName());
    const QString key = kind == LastArchiveKind::FileA ? QStringLiteral("FileA") : QStringLiteral("FileR");
    BckIni.WriteString(kLast, key, archivePath);
}

namespace {
std::pair<QString, QString> momentKey(RecordedMoment which)
{
    if (which == RecordedMoment::LastAutomaticStart)
        return {kTimer, QStringLiteral("Zadnje")};
    return {kLast, QStringLiteral("Uspjesno")};
}
} // namespace

QDateTime ReadRecordedMoment(const ProgramSettings &settings, RecordedMoment which)
{
    return ReadStoredMoment(settings, which).moment;
}

StoredMoment ReadStoredMoment(const ProgramSettings &settings, RecordedMoment which)
{
    const auto [section, key] = momentKey(which);
    StoredMoment stored;
    stored.text = IniFile(settings.settingsFileName()).ReadValue(section, key);
    const QDateTime moment = QDateTime::fromString(stored.text.value_or(QString()), Qt::ISODate);
    // A value with an offset names one instant; compared with the local clock it is local time.
    if (moment.isValid())
        stored.moment = moment.toLocalTime();
    return stored;
}

void WriteRecordedMoment(const ProgramSettings &settings, RecordedMoment which, const QDateTime &moment)
{
    const auto [section, key] = momentKey(which);
    // With its offset, so a change of time zone or of summer time does not move it.
    const QDateTime local = moment.toLocalTime();
    const IniFile BckIni(settings.settingsFileName());
    const ConfigLock lock(settings.lockFileName(), BckIni.fileName());
    BckIni.WriteString(section, key, local.toOffsetFromUtc(local.offsetFromUtc()).toString(Qt::ISODate));
}

void WriteLanguage(const ProgramSettings &settings, const QString &code)
{
    const IniFile BckIni(settings.settingsFileName());
    const ConfigLock lock(settings.lockFileName(), BckIni.fileName());
    BckIni.WriteString(kProgram, QStringLiteral("Jezik"), code);
}

void SaveRemoteCopySettings(ProgramSettings &settings, const QString &target, int keep)
{
    const IniFile BckIni(settings.settingsFileName());
    const ConfigLock lock(settings.lockFileName(), BckIni.fileName());
    BckIni.WriteString(kUdaljeno, QStringLiteral("Cilj"), target.trimmed());
    BckIni.WriteString(kUdaljeno, QStringLiteral("Zadrzi"), QString::number(std::max(0, keep)));
    settings.GLOBAL_UdaljenoCilj = target.trimmed();
    settings.GLOBAL_UdaljenoZadrzi = std::max(0, keep);
}

void SaveSettingsWindow(ProgramSettings &settings, const SettingsWindowValues &values)
{
    settings.BckName = values.BckName;
    const IniFile BckIni(settings.settingsFileName());
    // One lock for the whole save, so a run that records its archive meanwhile waits for all of it.
    const ConfigLock lock(settings.lockFileName(), BckIni.fileName());
    BckIni.WriteString(kLokacijaAuto, QStringLiteral("Putanja"), values.Putanja);
    BckIni.WriteString(kLast, QStringLiteral("Datoteka"), settings.BckName);
    BckIni.WriteBool(kProgram, QStringLiteral("StartToTray"), values.StartToTray);
    BckIni.WriteBool(kProgram, QStringLiteral("CloseToTray"), values.CloseToTray);
    BckIni.WriteBool(kProgram, QStringLiteral("StartMinimized"), values.StartMinimized);
    BckIni.WriteBool(kProgram, QStringLiteral("Report"), values.Report);
    BckIni.WriteBool(kProgram, QStringLiteral("Provjera"), values.Verify);
    BckIni.WriteString(kLokacijaAuto, QStringLiteral("Zadrzi"), QString::number(std::max(0, values.Keep)));
    BckIni.WriteString(kProgram, QStringLiteral("Izuzeci"), values.Exclusions.trimmed());
    // With the daily run off the stored time stays, so ticking it on again brings the old time back.
    if (values.TimerEnabled) {
        BckIni.WriteTime(kTimer, QStringLiteral("Time"), values.TimerTime);
        settings.GLOBAL_TimerTime = values.TimerTime;
    }
    settings.GLOBAL_TimerEnabled = values.TimerEnabled;
    BckIni.WriteBool(kTimer, QStringLiteral("Enabled"), values.TimerEnabled);
    BckIni.WriteBool(kTimer, QStringLiteral("Nadoknadi"), values.CatchUp);
    settings.GLOBAL_TimerCatchUp = values.CatchUp;
    settings.GLOBAL_StartToTray = values.StartToTray;
    settings.GLOBAL_CloseToMinimize = values.CloseToTray;
    settings.GLOBAL_StartMinimized = values.StartMinimized;
    settings.GLOBAL_Report = values.Report;
    settings.GLOBAL_Provjera = values.Verify;
    settings.GLOBAL_Zadrzi = std::max(0, values.Keep);
    settings.GLOBAL_Izuzeci = values.Exclusions.trimmed();
    settings.BackupLokacijaAuto = ReadBackupLokacijaAuto(BckIni);
}

void SaveBackupList(const ProgramSettings &settings, const QStringList &rows)
{
    const ConfigLock lock(settings.lockFileName(), settings.listFileName());
    SaveStringGrid(rows, settings.listFileName());
}
