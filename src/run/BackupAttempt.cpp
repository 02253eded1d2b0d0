#include "run/BackupAttempt.h"

#include "config/CliMessageTable.h"
#include "config/EConfigError.h"
#include "config/MessageTable.h"
#include "config/StringGrid.h"
#include "config/SystemReason.h"
#include "run/ArchiveFolder.h"
#include "run/ArchiveName.h"
#include "run/ArchiveRecord.h"
#include "run/FileSystem.h"
#include "run/RunRequest.h"
#include "run/RunState.h"
#include "run/RunSummary.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Whether this user can write a manual run's archive: make its ".part" file in the folder and give it the
// final name, over the existing file when there is one. Checked before the run, so that a run whose
// archive could never get its name does not do all its work first.
BackupAttempt::Preparation checkTargetFolder(const QString &archive, bool replacing)
{
    using Refusal = BackupAttempt::Refusal;
    const QByteArray target = QFile::encodeName(archive);
    const QByteArray folder = QFile::encodeName(QFileInfo(archive).absolutePath());
    // A folder that is not there fails the archive's creation, as in an automatic run, with that cause.
    if (::faccessat(AT_FDCWD, folder.constData(), W_OK | X_OK, AT_EACCESS) != 0 && errno != ENOENT &&
        errno != ENOTDIR)
        return {Refusal::FolderNotWritable, archive, errno, {}};
    struct stat status;
    if (::lstat(QFile::encodeName(RunRequest::partFileOf(archive)).constData(), &status) == 0)
        return {Refusal::PartExists, archive, EEXIST, {}};
    // In a folder with the sticky bit (/tmp) only the file's owner, the folder's owner and root may
    // rename over a file.
    struct stat folderStatus;
    const uid_t user = ::geteuid();
    if (replacing && user != 0 && ::stat(folder.constData(), &folderStatus) == 0 &&
        (folderStatus.st_mode & S_ISVTX) != 0 && folderStatus.st_uid != user &&
        ::lstat(target.constData(), &status) == 0 && status.st_uid != user)
        return {Refusal::NotReplaceable, archive, EPERM, {}};
    return {Refusal::None, archive, 0, {}};
}

} // namespace

BackupAttempt::Refusal BackupAttempt::checkList(const ProgramSettings &settings)
{
    const QString listFile = settings.listFileName();
    if (!QFileInfo::exists(listFile))
        return Refusal::ListMissing;
    // The worker reads the list again; a list that cannot be read now would end the run without a word.
    if (!ReadListLines(listFile))
        return Refusal::ListUnreadable;
    return Refusal::None;
}

BackupAttempt::Preparation BackupAttempt::prepare(Kind kind, const ProgramSettings &settings,
                                                  const QString &chosenFile, bool mayReplace)
{
    const bool automatic = kind == Kind::Automatic;
    if (const Refusal list = checkList(settings); list != Refusal::None)
        return {list, QString(), 0, {}};
    if (automatic && !DirectoryExists(settings.BackupLokacijaAuto))
        return {Refusal::ArchiveFolderMissing, QString(), 0, {}};
    if (automatic && !ArchiveName::prefixIsValid(settings.BckName))
        return {Refusal::PrefixInvalid, QString(), 0, {}};

    QString archive;
    if (automatic) {
        archive = ArchiveName::automaticPath(settings.BackupLokacijaAuto, settings.BckName,
                                             ArchiveName::stampNow());
    } else {
        archive = QFileInfo(chosenFile).absoluteFilePath();
        const QFileInfo target(archive);
        if (target.isDir())
            return {Refusal::TargetIsFolder, archive, 0, {}};
        // Replacing a device node, FIFO or socket would delete it (as root, even /dev/null).
        struct stat status;
        if (::stat(QFile::encodeName(archive).constData(), &status) == 0 && !S_ISREG(status.st_mode))
            return {Refusal::TargetNotFile, archive, 0, {}};
        if (target.exists() && !mayReplace)
            return {Refusal::TargetExists, archive, 0, {}};
        if (Preparation refused = checkTargetFolder(archive, target.exists());
            refused.refusal != Refusal::None)
            return refused;
    }
    // An old archive of the name is replaced only by the complete new one, when the run renames it.
    Preparation preparation{Refusal::None, archive, 0, {}};
    // What earlier runs left unfinished is named at the start of the next one, and never deleted: it
    // may be all that is left of a backup.
    if (ArchiveName::prefixIsValid(settings.BckName) && DirectoryExists(settings.BackupLokacijaAuto))
        preparation.leftoverParts = ArchiveFolder(settings.BackupLokacijaAuto, settings.BckName).partFiles();
    return preparation;
}

bool BackupAttempt::recordStart(const ProgramSettings &settings, Kind kind, const QDateTime &now)
{
    if (kind != Kind::Automatic)
        return true;
    try {
        WriteRecordedMoment(settings, RecordedMoment::LastAutomaticStart, now);
        return true;
    } catch (const EConfigError &) {
        return false;
    }
}

BackupAttempt::Outcome BackupAttempt::outcome(const RunState &state)
{
    if (state.archiveFailed)
        return Outcome::ArchiveFailed;
    // A forced stop after the archive got its name only cut its verification short.
    if (state.fKill && !state.archiveNamed) {
        return FileExists(RunRequest::partFileOf(state.arhiva_file)) ? Outcome::ForcedIncomplete
                                                                     : Outcome::ForcedBeforeArchive;
    }
    // A file of the final name may be the old archive that a manual run was to replace.
    if (!state.archiveNamed || !FileExists(state.arhiva_file))
        return Outcome::NotCreated;
    if (state.verification == RunState::Verification::Faulty)
        return Outcome::VerifyFailed;
    return state.PrekidArhiviranja || state.fKill ? Outcome::Stopped : Outcome::Complete;
}

bool BackupAttempt::leftArchive(Outcome outcome)
{
    return outcome == Outcome::Complete || outcome == Outcome::Stopped;
}

bool BackupAttempt::isGoodBackup(Outcome outcome, const RunState &state)
{
    // A stopped run's archive lacks files, one whose sources could not all be read lacks them too, and
    // one whose reading back was cut short is unproven.
    return outcome == Outcome::Complete && state.file_missing == 0 &&
           state.verification != RunState::Verification::Interrupted;
}

void BackupAttempt::keepEarlierGoodBackup(const ProgramSettings &settings)
{
    // Without a recorded moment and without a record of runs, the window takes the last archives' times
    // for the last good backup, as versions that recorded neither left them. Once this run is recorded,
    // that guess would take its archive for a good one: the earlier archives' moment is recorded instead.
    if (ArchiveRecord::read(settings).exists() ||
        ReadRecordedMoment(settings, RecordedMoment::LastGoodBackup).isValid())
        return;
    ProgramSettings earlier = settings;
    const LastArchives last = LoadProgramSettings(earlier);
    QDateTime newest;
    for (const QString &path : {last.FileA, last.FileR}) {
        const QFileInfo archive(path);
        if (archive.isAbsolute() && archive.isFile() &&
            (!newest.isValid() || archive.lastModified() > newest))
            newest = archive.lastModified();
    }
    if (newest.isValid())
        WriteRecordedMoment(settings, RecordedMoment::LastGoodBackup, newest);
}

bool BackupAttempt::putOnRecord(const ProgramSettings &settings, bool automatic, const RunState &state,
                                const QString &nowStamp, Record &result)
{
    try {
        ArchiveRecord::add(settings, automatic, QFileInfo(state.arhiva_file).fileName(), nowStamp);
        return true;
    } catch (const EConfigError &failure) {
        result.recordFailure =
            MessageTable::fill(MessageTable::text(Msg::ErrorFileNotWritten), {failure.fileName()});
        if (!failure.reason().isEmpty())
            result.recordFailure += QStringLiteral(" (") + failure.reason() + QLatin1Char(')');
        return false;
    }
}

BackupAttempt::Record BackupAttempt::record(const ProgramSettings &settings, Kind kind, const RunState &state)
{
    Record result;
    result.outcome = outcome(state);
    const bool automatic = kind == Kind::Automatic;
    const QString nowStamp = ArchiveName::stampNow();
    // A damaged archive is on record as its run's too, so that retention takes it in its time.
    if (result.outcome == Outcome::VerifyFailed)
        putOnRecord(settings, automatic, state, nowStamp, result);
    if (!leftArchive(result.outcome))
        return result;
    try {
        if (!isGoodBackup(result.outcome, state))
            keepEarlierGoodBackup(settings);
        WriteLastArchive(settings, automatic ? LastArchiveKind::FileA : LastArchiveKind::FileR,
                         state.arhiva_file);
        result.recorded = true;
        if (isGoodBackup(result.outcome, state))
            WriteRecordedMoment(settings, RecordedMoment::LastGoodBackup, QDateTime::currentDateTime());
    } catch (const EConfigError &failure) {
        result.error = failure;
        result.failure = failure.reason().isEmpty()
                             ? failure.message()
                             : failure.message() + QStringLiteral(" (") + failure.reason() + QLatin1Char(')');
    }
    const bool onRecord = putOnRecord(settings, automatic, state, nowStamp, result);
    const bool remoteKeeps =
        !settings.GLOBAL_UdaljenoCilj.trimmed().isEmpty() && settings.GLOBAL_UdaljenoZadrzi > 0;
    if (!automatic || result.outcome != Outcome::Complete || !result.recorded ||
        (settings.GLOBAL_Zadrzi <= 0 && !remoteKeeps))
        return result;
    // An archive nobody has read back, or one without sources that could not be read, is no reason to
    // give up an older one that may hold what this one lacks.
    if (state.verification != RunState::Verification::Sound)
        result.pruningHeld = Record::Hold::NotVerified;
    else if (state.file_missing > 0)
        result.pruningHeld = Record::Hold::SourcesMissing;
    else if (!onRecord)
        result.pruningHeld = Record::Hold::NotOnRecord;
    if (result.pruningHeld != Record::Hold::None)
        return result;
    result.mayPrune = true;
    const ArchiveRecord known = ArchiveRecord::read(settings);
    const QString prefix = settings.BckName;
    const ArchiveFolder::Pruning pruning =
        ArchiveFolder(settings.BackupLokacijaAuto, prefix)
            .prune(
                settings.GLOBAL_Zadrzi, state.arhiva_file,
                [&known, &prefix](const QString &name) { return known.isAutomatic(prefix, name); }, nowStamp);
    result.pruned = pruning.deleted;
    result.pruneFailed = pruning.failed;
    result.futureDated = pruning.future;
    return result;
}

QString BackupAttempt::endNotice(const Record &record, const RunState &state)
{
    if (record.outcome == Outcome::Stopped)
        return MessageTable::text(Msg::BalloonRunStopped);
    if (state.file_missing > 0)
        return MessageTable::fill(MessageTable::text(Msg::BalloonRunMissing, state.file_missing),
                                  {QString::number(state.file_missing)});
    return MessageTable::text(Msg::BalloonRunFinished);
}

QString BackupAttempt::text(Refusal refusal, const ProgramSettings &settings, const QString &archive,
                            int error)
{
    switch (refusal) {
    case Refusal::None:
        return QString();
    case Refusal::ListMissing:
        return MessageTable::text(Msg::ErrorListMissing);
    case Refusal::ListUnreadable:
        return CliMessageTable::text(CliMsg::ListUnreadable).arg(settings.listFileName());
    case Refusal::ArchiveFolderMissing:
        return MessageTable::fill(MessageTable::text(Msg::ErrorArchiveFolderMissing),
                                  {settings.BackupLokacijaAuto});
    case Refusal::PrefixInvalid:
        return MessageTable::text(Msg::ErrorBadPrefix);
    case Refusal::TargetIsFolder:
        return CliMessageTable::text(CliMsg::TargetIsFolder).arg(archive);
    case Refusal::TargetNotFile:
        return CliMessageTable::text(CliMsg::TargetNotFile).arg(archive);
    case Refusal::TargetExists:
        return MessageTable::fill(MessageTable::text(Msg::QuestionOverwrite), {QFileInfo(archive).fileName()})
            .section(QStringLiteral("\r\n"), 0, 0);
    case Refusal::FolderNotWritable:
        return CliMessageTable::text(CliMsg::TargetFolderNotWritable)
            .arg(archive, QFileInfo(archive).absolutePath(), SystemReason::text(error));
    case Refusal::NotReplaceable:
        return CliMessageTable::text(CliMsg::TargetNotReplaceable)
            .arg(archive, QFileInfo(archive).absolutePath());
    case Refusal::PartExists:
        return CliMessageTable::text(CliMsg::PartExists).arg(RunRequest::partFileOf(archive));
    }
    return QString();
}

QString BackupAttempt::failureText(Outcome outcome, const RunState &state)
{
    const QString partFile = RunRequest::partFileOf(state.arhiva_file);
    // What a failed run leaves behind is named, so that nobody takes it for a backup or looks for one
    // under the final name; an archive that was written whole and only lacks its name is said to be so.
    QString partLeft;
    if (FileExists(partFile)) {
        partLeft = QLatin1Char('\n') +
                   (state.archiveClosed
                        ? CliMessageTable::text(CliMsg::PartLeftComplete).arg(state.arhiva_file, partFile)
                        : CliMessageTable::text(CliMsg::PartLeft).arg(partFile));
    }
    switch (outcome) {
    case Outcome::Complete:
    case Outcome::Stopped:
        return QString();
    case Outcome::ArchiveFailed:
        return CliMessageTable::text(CliMsg::FailedNotWritable).arg(state.arhiva_file, state.archiveFailure) +
               partLeft;
    case Outcome::ForcedIncomplete:
        return CliMessageTable::text(CliMsg::KilledIncomplete).arg(partFile);
    case Outcome::ForcedBeforeArchive:
        return CliMessageTable::text(CliMsg::KilledBeforeArchive).arg(state.arhiva_file);
    case Outcome::NotCreated:
        return CliMessageTable::text(CliMsg::FailedNotCreated).arg(state.arhiva_file) + partLeft;
    case Outcome::VerifyFailed:
        return CliMessageTable::text(CliMsg::VerifyFault).arg(state.arhiva_file, state.verificationFault);
    }
    return QString();
}

QStringList BackupAttempt::notes(const Record &record, const RunState &state)
{
    QStringList lines;
    if (!state.leftoverParts.isEmpty())
        lines << MessageTable::text(Msg::LeftoverPartsHeader) << state.leftoverParts;
    if (state.leftOutFiles > 0 || state.leftOutFolders > 0) {
        const QString files = MessageTable::fill(MessageTable::text(Msg::CountFiles, state.leftOutFiles),
                                                 {RunSummary::count(state.leftOutFiles)});
        const QString folders =
            MessageTable::fill(MessageTable::text(Msg::CountFolders, state.leftOutFolders),
                               {RunSummary::count(state.leftOutFolders)});
        lines << MessageTable::fill(MessageTable::text(Msg::LeftOutCount), {files, folders});
    }
    // A damaged archive is the run's failure, worded by failureText.
    if (leftArchive(record.outcome) && state.verification == RunState::Verification::Sound)
        lines << MessageTable::text(Msg::VerifiedSound);
    else if (leftArchive(record.outcome) && state.verification == RunState::Verification::Interrupted)
        lines << MessageTable::text(Msg::VerifyInterrupted);
    if (!record.pruned.isEmpty()) {
        lines << MessageTable::text(Msg::PrunedHeader) << record.pruned;
    }
    for (const QString &failed : record.pruneFailed)
        lines << MessageTable::fill(MessageTable::text(Msg::PruneFailed), {failed});
    if (!record.futureDated.isEmpty())
        lines << MessageTable::text(Msg::FutureDatedHeader) << record.futureDated;
    if (!record.recordFailure.isEmpty())
        lines << record.recordFailure;
    if (record.pruningHeld == Record::Hold::NotVerified)
        lines << MessageTable::text(Msg::PruningHeld);
    else if (record.pruningHeld == Record::Hold::SourcesMissing)
        lines << MessageTable::text(Msg::PruningHeldMissing);
    return lines;
}
