#include "run/TThreadArhiviranje.h"

#include "config/ConfigPaths.h"
#include "config/MessageTable.h"
#include "config/ProgramSettings.h"
#include "config/StringGrid.h"
#include "config/SystemReason.h"
#include "run/FileSystem.h"
#include "run/HandOverChannel.h"
#include "run/RunSummary.h"
#include "run/SourceCollection.h"
#include "run/SourceCollectionSink.h"
#include "run/SourceExclusions.h"
#include "run/ThreadPriority.h"
#include "run/ZipReason.h"
#include "zip/ESourceError.h"
#include "zip/LongPath.h"
#include "zip/TFileStream.h"
#include "zip/TMemoryStream.h"
#include "zip/TParallelCompressor.h"
#include "zip/TZipFile.h"
#include "zip/TZipVerifier.h"
#include "zip/ZipDateTime.h"
#include "zip/ZipFileSystem.h"

#include <QElapsedTimer>
#include <QFile>

#include <cstring>
#include <system_error>

#include <functional>
#include <optional>
#include <sys/stat.h>
#include <vector>

namespace {

// The system's reason alone for a failure it reported (an errno), in the interface's language; empty
// for the archive unit's own failures.
QString systemReason(const std::exception &failure)
{
    const TZipFault fault = TZipFault::Of(failure);
    if (fault.Code != TZipFault::TCode::System || fault.SystemError == 0)
        return QString();
    return SystemReason::text(fault.SystemError);
}

std::string localPath(const QString &path)
{
    return QFile::encodeName(path).toStdString();
}

// The attributes and the DOS date-time an entry takes from its source (links followed).
struct SourceProperties
{
    TFileAttributes attributes;
    std::uint32_t modified = ModificationTimeToWinFileDate(std::nullopt);
};

// The properties of a source as it is now; nothing when it is gone.
std::optional<SourceProperties> propertiesOf(const QByteArray &path)
{
    const std::string name = path.toStdString();
    struct stat status = {};
    if (StatLongPath(name, status) != 0)
        return std::nullopt;
    SourceProperties properties;
    properties.attributes = AttributesFromStat(name, status);
    properties.modified = ModificationTimeToWinFileDate(std::int64_t(status.st_mtime));
    return properties;
}

} // namespace

std::string EntryNameOfFile(const QByteArray &path)
{
    return (path.startsWith('/') ? path.mid(1) : path).toStdString();
}

std::string EntryNameOfFolder(const QByteArray &path)
{
    return EntryNameOfFile(path.endsWith('/') ? path : path + '/');
}

void AddEmptyFolderToZip(TZipFile &zip, const QByteArray &folder)
{
    const SourceProperties properties = propertiesOf(folder).value_or(SourceProperties());
    TMemoryStream empty;
    zip.Add(empty, EntryNameOfFolder(folder), zcStored, properties.attributes, properties.modified);
}

TThreadArhiviranje::TThreadArhiviranje(RunEvents &events, std::shared_ptr<HandOverChannel> channel,
                                       RunRequest request)
    : m_events(events), m_channel(std::move(channel)), m_request(std::move(request))
{
}

std::function<void()> TThreadArhiviranje::announced(HandOver which, std::function<void()> procedure)
{
    // Only wrapped here: the events are reached when the channel runs the procedure on the interface
    // thread, which it never does once the run is closed, so a worker left behind by a forced stop
    // never reaches events that may be gone.
    return [e = &m_events, which, procedure = std::move(procedure)] {
        e->onHandOver(which);
        procedure();
    };
}

void TThreadArhiviranje::post(HandOver which, std::function<void()> procedure, bool urgent)
{
    m_channel->post(announced(which, std::move(procedure)), urgent);
}

bool TThreadArhiviranje::call(HandOver which, std::function<void()> procedure)
{
    return m_channel->call(announced(which, std::move(procedure)));
}

void TThreadArhiviranje::run()
{
    // The reader and compressors started from here inherit the lower priority, so that a run that
    // keeps every core busy still leaves the interface and the desktop responsive. If the system
    // refuses, the run goes on unchanged at normal priority.
    ThreadPriority::lowerForBackgroundWork();
    try {
        Execute();
    } catch (const ForcedStop &) {
        // The forced stop has signalled completion already; the archive was abandoned as it stood.
        return;
    } catch (const std::exception &failure) {
        // Nothing was archived (the archive's own failures are reported where they happen).
        reportArchiveError(failure);
    } catch (...) {
        reportArchiveError(MessageTable::text(Msg::ZipInternal));
    }
    // Posted after every other hand-over, so the run's end sees all of them.
    post(
        HandOver::Completion, [e = &m_events] { e->onCompletion(false); }, true);
}

void TThreadArhiviranje::Execute()
{
    QThread::msleep(static_cast<unsigned long>(m_request.startDelayMs));

    QStringList entries;
    if (!readEntries(entries))
        return;
    post(
        HandOver::StatusCollecting, [e = &m_events] { e->onCollecting(); }, true);

    SourceCollection collection;
    collection.setExclusions(
        SourceExclusions(m_request.exclusions, m_request.archiveFolder, m_request.archivePrefix));
    collection.resolveEntries(entries, *this);

    // Every core starts compressing as soon as the files are known, while the totals are counted and
    // the folder entries written; entries are still added one by one, each after its stop test.
    const SortedPathList &files = collection.lista_fileova_finalna();
    std::vector<std::string> names;
    names.reserve(static_cast<std::size_t>(files.size()));
    for (const QByteArray &fileSource : files.localPaths())
        names.push_back(fileSource.toStdString());
    TParallelCompressor compressor(std::move(names));
    m_compressor = &compressor;
    struct ForgetCompressor
    {
        TParallelCompressor *&compressor;
        ~ForgetCompressor() { compressor = nullptr; }
    } forget{m_compressor};

    collection.reportTotals(*this);
    archive(collection.lista_mapa_finalna(), files, compressor);
}

void TThreadArhiviranje::missingEntry(const QString &entry)
{
    post(HandOver::MissingEntry, [e = &m_events, entry] { e->onMissingEntry(entry); });
}

void TThreadArhiviranje::unreadable(const QString &path, int error)
{
    post(HandOver::MissingEntry, [e = &m_events, path, error] { e->onUnreadable(path, error); });
}

void TThreadArhiviranje::entryNameTooLong(const QString &path)
{
    post(HandOver::MissingEntry, [e = &m_events, path] { e->onEntryNameTooLong(path); });
}

void TThreadArhiviranje::fileSize(qint64 bytes)
{
    post(HandOver::AddFileSize, [e = &m_events, bytes] { e->onFileSize(bytes); });
}

void TThreadArhiviranje::fileCount(qint64 count)
{
    post(
        HandOver::FileCount, [e = &m_events, count] { e->onFileCount(count); }, true);
}

void TThreadArhiviranje::leftOut(qint64 files, qint64 folders)
{
    post(HandOver::LeftOut, [e = &m_events, files, folders] { e->onLeftOut(files, folders); });
}

bool TThreadArhiviranje::readEntries(QStringList &entries)
{
    // The run's first hand-over: the worker has its request already, and waits only until the interface
    // thread serves the run, so that what the interface does as the run begins (a pause or a stop
    // pressed at once) is in place before the list is read. A run closed meanwhile goes no further.
    if (!call(HandOver::CopySettings, [] {}))
        return false;
    const std::optional<QStringList> lines =
        ReadListLines(ListFileName(m_request.userfolder, m_request.GLOBAL_lista));
    if (!lines)
        return false;
    entries = *lines;
    return true;
}

void TThreadArhiviranje::archive(const SortedPathList &folders, const SortedPathList &files,
                                 TParallelCompressor &compressor)
{
    // A forced stop confirmed before the archive exists leaves no archive at all.
    if (m_channel->forcedStopRequested)
        carryOutForcedStop();
    // The archive is written under a name of its own and takes the final name only when complete, so
    // the final name never shows an archive without its directory, and an old archive of that name
    // stays whole until the new one replaces it.
    const QString partFile = RunRequest::partFileOf(m_request.arhiva_file);
    TZipFile zip;
    zip.SetOnProgress([this](TZipFile &sender, const std::string &, const TZipHeader &,
                             std::int64_t position) { OnProgress(sender, position); });
    try {
        // Created only when the name is free and held locked until closed: of two runs that want one
        // name at the same moment, one gets the archive error and the other's archive stays whole.
        zip.Open(std::make_unique<TFileStream>(localPath(partFile), fmCreateNew), zmWrite);
    } catch (const std::exception &failure) {
        reportArchiveError(failure);
        return;
    }
    try {
        post(
            HandOver::TimerRestart, [e = &m_events] { e->onTimerRestart(); }, true);
        addFolders(zip, folders);
        addFiles(zip, files, compressor);
        // Closing writes the directory and returns once the whole file is on the disk.
        zip.Close();
    } catch (const ForcedStop &) {
        zip.Abandon();
        throw;
    } catch (const std::exception &failure) {
        // The archive itself failed (a full disk, a removed destination): the files that follow would
        // be lost as well, so the run ends here. The archive is left without a directory rather than
        // given one that points at data which may never have reached the disk.
        zip.Abandon();
        reportArchiveError(failure);
        post(
            HandOver::TimerStop, [e = &m_events] { e->onTimerStop(); }, true);
        return;
    }
    if (m_channel->forcedStopRequested)
        carryOutForcedStop();
    if (giveFinalName(partFile) && m_request.verify)
        verifyArchive();
    post(
        HandOver::TimerStop, [e = &m_events] { e->onTimerStop(); }, true);
}

void TThreadArhiviranje::verifyArchive()
{
    QElapsedTimer elapsed;
    elapsed.start();
    // What is read back must be what the disk holds, not the pages the writer left in memory.
    SyncAndDropCachedPages(m_request.arhiva_file);
    post(
        HandOver::VerifyProgress, [e = &m_events] { e->onVerifyProgress(0); }, true);
    // Called by one checking thread at a time; only a new whole percent is handed over.
    int shown = 0;
    const TZipVerifier::TProgress progress = [this, &shown](std::uint64_t done, std::uint64_t total) {
        const int percent = total > 0 ? int(done * 100 / total) : 100;
        if (percent == shown)
            return;
        shown = percent;
        post(HandOver::VerifyProgress, [e = &m_events, percent] { e->onVerifyProgress(percent); });
    };
    // A run stopped after a file is verified all the same; a stop pressed during the verification, or a
    // forced stop, ends it.
    const bool stoppedBefore = m_channel->stopRequested;
    const TZipVerification found =
        TZipVerifier::Verify(localPath(m_request.arhiva_file), 0, progress, [this, stoppedBefore] {
            return (!stoppedBefore && m_channel->stopRequested) || m_channel->forcedStopRequested;
        });
    using Verification = RunState::Verification;
    const Verification result = found.Sound         ? Verification::Sound
                                : found.Interrupted ? Verification::Interrupted
                                                    : Verification::Faulty;
    // An entry that cannot be checked is no fault of its own, but the archive is not sound: say why.
    const QString fault = ZipReason::text(found.Fault.empty() ? found.UncheckedReason : found.FaultReason);
    const qint64 ms = elapsed.elapsed();
    post(
        HandOver::Verified, [e = &m_events, result, fault, ms] { e->onVerified(result, fault, ms); }, true);
    if (found.Interrupted && m_channel->forcedStopRequested && !m_channel->forcedStopCarriedOut)
        carryOutForcedStop();
}

bool TThreadArhiviranje::giveFinalName(const QString &partFile)
{
    // The rename is made on the interface thread, as the hand-over's procedure: a run that the interface
    // has ended already (a forced stop past its deadline) never puts an archive under the final name.
    QString renameFailure;
    QString renameReason;
    const bool served = call(HandOver::ArchiveNamed, [&, e = &m_events] {
        e->onArchiveClosed();
        try {
            RenameFile(partFile, m_request.arhiva_file, m_request.replaceExisting);
            e->onArchiveNamed();
        } catch (const std::exception &failure) {
            renameFailure = ZipReason::text(failure);
            renameReason = systemReason(failure);
        }
    });
    // Not served: the run was ended meanwhile, and the archive keeps its ".part" name.
    if (!served)
        return false;
    if (!renameFailure.isEmpty()) {
        reportArchiveError(renameFailure, renameReason);
        return false;
    }
    try {
        SyncFolderOf(m_request.arhiva_file);
    } catch (const std::exception &failure) {
        reportArchiveError(failure);
        return false;
    }
    return true;
}

void TThreadArhiviranje::addFolders(TZipFile &zip, const SortedPathList &folders)
{
    for (const QByteArray &folder : folders.localPaths()) {
        if (DirectoryExists(folder))
            AddEmptyFolderToZip(zip, folder);
    }
}

void TThreadArhiviranje::addFiles(TZipFile &zip, const SortedPathList &files, TParallelCompressor &compressor)
{
    const QList<QByteArray> &localPaths = files.localPaths();
    const QStringList &texts = files.paths();
    for (qsizetype i = 0; i < localPaths.size(); ++i) {
        // The copy of the stop flag is the read of its mirror below; the hand-over keeps its place in
        // the interface's order.
        post(HandOver::CopyStopFlag, [] {});
        if (m_channel->stopRequested)
            break;
        post(HandOver::FileBarReset, [e = &m_events] { e->onFileBarReset(); });
        TCompressedEntry &data = compressor.Next();
        try {
            addFile(zip, localPaths.at(i), texts.at(i), data);
        } catch (const ESourceError &) {
            // The source could not be opened or read: it is missing from the archive, the run goes on.
            post(HandOver::FileFailed, [e = &m_events, text = texts.at(i), error = data.ErrorNumber()] {
                e->onFileFailed(text, error);
            });
        }
    }
}

void TThreadArhiviranje::addFile(TZipFile &zip, const QByteArray &fileSource, const QString &text,
                                 TCompressedEntry &data)
{
    // The one look at the source: the status of the file as it was opened (possibly ahead of its turn),
    // whose size both the progress and the archive use. A source that cannot be opened raises
    // ESourceError here.
    std::string openError;
    if (!data.WaitOpened(openError))
        throw ESourceError(openError);
    const struct stat &status = data.SourceStatus();
    const TFileAttributes attributes = AttributesFromStat(fileSource.toStdString(), status);
    const std::uint32_t modified = ModificationTimeToWinFileDate(std::int64_t(status.st_mtime));
    const qint64 size = static_cast<qint64>(status.st_size);
    post(HandOver::FileOpened, [e = &m_events, size] { e->onFileOpened(size); });
    if (!m_channel->stopTextShown) {
        post(HandOver::FileStatus, [e = &m_events, text] { e->onFileStarted(text); });
    }
    zip.AddCompressed(data, EntryNameOfFile(fileSource), attributes, modified);
    post(HandOver::FileAdded, [e = &m_events] { e->onFileAdded(); });
}

void TThreadArhiviranje::OnProgress(TZipFile &zip, qint64 position)
{
    if (!m_channel->forcedStopRequested) {
        if (m_channel->pauseRequested) {
            // The pause box holds this thread, and the compressor threads with it.
            if (m_compressor)
                m_compressor->SetPaused(true);
            call(HandOver::ProgressDisplay, [e = &m_events, position] { e->onProgress(position, true); });
            if (m_compressor)
                m_compressor->SetPaused(false);
        } else {
            post(HandOver::ProgressDisplay, [e = &m_events, position] { e->onProgress(position, false); });
        }
    }
    if (m_channel->forcedStopRequested && !m_channel->forcedStopCarriedOut) {
        // The archive keeps exactly what was written before this report, and nothing after it.
        try {
            zip.Flush();
        } catch (const std::exception &) {
            // The archive is abandoned either way; a failure to write it must not hold up the stop.
        }
        carryOutForcedStop();
    }
}

void TThreadArhiviranje::carryOutForcedStop()
{
    m_channel->forcedStopCarriedOut = true;
    post(
        HandOver::Completion, [e = &m_events] { e->onCompletion(true); }, true);
    throw ForcedStop{};
}

void TThreadArhiviranje::reportArchiveError(const std::exception &failure)
{
    reportArchiveError(ZipReason::text(failure), systemReason(failure));
}

void TThreadArhiviranje::reportArchiveError(const QString &text, const QString &reason)
{
    call(HandOver::ArchiveError, [e = &m_events, text, reason] { e->onArchiveError(text, reason); });
}
