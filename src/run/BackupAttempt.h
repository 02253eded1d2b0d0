#pragma once

#include "config/EConfigError.h"
#include "config/ProgramSettings.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <optional>

struct RunState;

// Every decision of one backup attempt, for every front end alike: whether a run may start and into
// which file, what its end means, and whether that end is recorded as the last archive. The front ends
// only put the answers into words (text()), so they refuse the same things and never word a run that
// wrote no archive as a success.
class BackupAttempt
{
  public:
    enum class Kind { Automatic, Manual };

    // Why a run may not start.
    enum class Refusal {
        None,
        ListMissing,          // the backup list file does not exist
        ListUnreadable,       // it exists but cannot be read (a folder in its place, no permission)
        ArchiveFolderMissing, // automatic run: the archive folder does not exist
        PrefixInvalid,        // automatic run: the stored prefix would lead out of the archive folder
        TargetIsFolder,       // manual run: the chosen name is a folder
        TargetNotFile,        // manual run: the chosen name is a device, FIFO or socket, never replaced
        TargetExists,         // manual run: the file exists and may not be replaced
        FolderNotWritable,    // manual run: no file can be made in the chosen folder (error says why)
        NotReplaceable,       // manual run: the file is another user's in a folder with the sticky bit
        PartExists,           // manual run: the name the archive is written under is taken
    };

    // What a run's end means.
    enum class Outcome {
        Complete,         // the archive is written and closed, nothing was stopped
        Stopped,          // stopped after a file: the archive is closed properly, but not everything is in it
        ForcedIncomplete, // forced to stop: the incomplete archive is left under its ".part" name
        ForcedBeforeArchive, // forced to stop before the archive's file was made
        ArchiveFailed,       // the archive could not be created or written
        VerifyFailed,        // the archive has its name, but reading it back found it damaged
        NotCreated,          // the run ended without an archive
    };

    struct Preparation
    {
        Refusal refusal = Refusal::None;
        QString archive; // the archive's full path: the file to write, or the one a refusal is about
        int error = 0;   // the system's error number behind a refusal, where there is one
        QStringList leftoverParts; // ".part" files that earlier runs left in the archive folder
    };

    struct Record
    {
        Outcome outcome = Outcome::NotCreated;
        bool recorded = false;             // the archive was recorded as the last one of its kind
        QString failure;                   // why recording failed, when an archive was there to record
        std::optional<EConfigError> error; // that failure as the settings store reported it
        // Why older archives that were due for deletion, here or at the remote target, all stay.
        enum class Hold { None, NotVerified, SourcesMissing, NotOnRecord };
        Hold pruningHeld = Hold::None;
        bool mayPrune = false;   // the run is a good automatic backup: older ones may go, here and there
        QString recordFailure;   // why the archive could not be put on ArchiveRecord's record
        QStringList pruned;      // older archives deleted after the run
        QStringList pruneFailed; // "path: reason" of those that could not be deleted
        QStringList futureDated; // archives dated after this run, kept and not counted
    };

    // The first check of every run: the backup list exists and can be read.
    static Refusal checkList(const ProgramSettings &settings);
    // Checks that a run of the kind may start and names its archive: the automatic run's from the
    // settings and the clock, the manual run's chosenFile (replaced only when mayReplace). Nothing is
    // touched: an old file of that name stays until the run's complete archive replaces it.
    static Preparation prepare(Kind kind, const ProgramSettings &settings,
                               const QString &chosenFile = QString(), bool mayReplace = false);
    // Records that an automatic run begins at now ("Timer"/"Zadnje"), for the catch-up of a missed daily
    // run; a manual run records nothing. False when the settings file cannot be written: the run goes
    // on, and its end reports the file when it cannot record the archive either.
    static bool recordStart(const ProgramSettings &settings, Kind kind, const QDateTime &now);
    // The outcome of the run that state describes.
    static Outcome outcome(const RunState &state);
    // Whether the outcome left a valid archive behind.
    static bool leftArchive(Outcome outcome);
    // Whether the run is a good backup: complete, with every source read and its reading back not cut
    // short. Only that quiets the warning that backups are overdue.
    static bool isGoodBackup(Outcome outcome, const RunState &state);
    // Decides the run's outcome and records its archive as the last one of its kind (and on
    // ArchiveRecord's record as an automatic or a manual run's), only when the run left a valid archive;
    // the moment is recorded as the last good backup only after a good backup. After an automatic run
    // that is a good backup, was recorded and verified sound, the oldest automatic archives of the
    // configuration in the archive folder are deleted until as many remain as the settings keep (and
    // mayPrune lets the remote copy do the same); never after any other run.
    static Record record(const ProgramSettings &settings, Kind kind, const RunState &state);
    // The first line of the notification of a run that left an archive, in the current language: done,
    // stopped, or done without sources that could not be read. The archive's path follows it.
    static QString endNotice(const Record &record, const RunState &state);

    // The refusal in words, in the current language; empty for Refusal::None.
    static QString text(Refusal refusal, const ProgramSettings &settings, const QString &archive,
                        int error = 0);
    // What went wrong, in words, for an outcome that left no valid archive; empty for the others.
    static QString failureText(Outcome outcome, const RunState &state);
    // The lines every front end adds to the run's summary, in the current language: the ".part" files
    // found at the start, what was left out, the verification's result and the older archives deleted.
    static QStringList notes(const Record &record, const RunState &state);

  private:
    // Before a run that is no good backup is recorded: keeps the moment the window would have guessed
    // from earlier archives (settings of versions that recorded no such moment). Throws EConfigError.
    static void keepEarlierGoodBackup(const ProgramSettings &settings);
    // Puts the run's archive on ArchiveRecord's record; false, with the failure in result, when the
    // record cannot be written.
    static bool putOnRecord(const ProgramSettings &settings, bool automatic, const RunState &state,
                            const QString &nowStamp, Record &result);
};
