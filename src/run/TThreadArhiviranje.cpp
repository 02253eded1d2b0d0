#include "run/TThreadArhiviranje.h"

#include "config/ConfigPaths.h"
#include "config/MessageTable.h"
#include "config/ProgramSettings.h"
#include "config/StringGrid.h"
#include "run/FileSystem.h"
#include "run/RunController.h"
#include "run/RunSummary.h"
#include "run/SourceCollection.h"
#include "run/SourceCollectionSink.h"
#include "zip/EStreamError.h"
#include "zip/TMemoryStream.h"
#include "zip/TParallelCompressor.h"
#include "zip/TZipFile.h"
#include "zip/ZipDateTime.h"
#include "zip/ZipFileSystem.h"

#include <QFile>

#include <functional>
#include <optional>
#include <sys/stat.h>
#include <vector>

namespace {

std::string localPath(const QString &path)
{
    return QFile::encodeName(path).toStdString();
}

// Hands each report of the source collection over to the interface thread.
class HandOverSink : public SourceCollectionSink
{
  public:
    explicit HandOverSink(RunController &controller) : m_controller(controller) {}

    void missingEntry(const QString &entry) override
    {
        m_controller.handOver(RunController::HandOver::MissingEntry, [this, &entry] {
            RunState &state = m_controller.state();
            ++state.file_missing;
            state.file_missing_list.append(entry);
        });
    }

    void fileSize(qint64 bytes) override
    {
        m_controller.handOver(RunController::HandOver::AddFileSize,
                              [this, bytes] { m_controller.state().file_size_ukupno += bytes; });
    }

    void fileCount(qint64 count) override
    {
        m_controller.handOver(RunController::HandOver::FileCount, [this, count] {
            RunState &state = m_controller.state();
            state.file_count_ukupno = count;
            state.proteklo_vrijeme = 0;
            state.proteklo_vrijeme_prikaz = RunSummary::elapsedText(0);
        });
    }

  private:
    RunController &m_controller;
};

// The attributes and the DOS date-time an entry takes from its source (links followed).
struct SourceProperties
{
    TFileAttributes attributes;
    std::uint32_t modified = ModificationTimeToWinFileDate(std::nullopt);
    bool isFile = false;
};

// The properties of a source as it is now; nothing when it is gone.
std::optional<SourceProperties> propertiesOf(const QString &path)
{
    const std::string name = localPath(path);
    struct stat status = {};
    if (::stat(name.c_str(), &status) != 0)
        return std::nullopt;
    SourceProperties properties;
    properties.attributes = TFileAttributes::FromWinAttributes(WinAttributesFromStat(name, status));
    properties.modified = ModificationTimeToWinFileDate(std::int64_t(status.st_mtime));
    properties.isFile = S_ISREG(status.st_mode);
    return properties;
}

// Lets the pause box hold the compressor threads for as long as this scope lasts.
class PauseHookScope
{
  public:
    PauseHookScope(RunController &controller, std::function<void(bool)> hook) : m_controller(controller)
    {
        m_controller.setCompressionPauseHook(std::move(hook));
    }
    ~PauseHookScope() { m_controller.setCompressionPauseHook({}); }
    PauseHookScope(const PauseHookScope &) = delete;
    PauseHookScope &operator=(const PauseHookScope &) = delete;

  private:
    RunController &m_controller;
};

} // namespace

QString EntryNameOfFile(const QString &path)
{
    return path.startsWith(QLatin1Char('/')) ? path.mid(1) : path;
}

QString EntryNameOfFolder(const QString &path)
{
    const QString withSlash = path.endsWith(QLatin1Char('/')) ? path : path + QLatin1Char('/');
    return EntryNameOfFile(withSlash);
}

void AddEmptyFolderToZip(TZipFile &zip, const QString &folder)
{
    const SourceProperties properties = propertiesOf(folder).value_or(SourceProperties());
    TMemoryStream empty;
    zip.Add(empty, EntryNameOfFolder(folder).toStdString(), zcStored, properties.attributes,
            properties.modified);
}

TThreadArhiviranje::TThreadArhiviranje(RunController &controller) : m_controller(controller) {}

void TThreadArhiviranje::run()
{
    try {
        Execute();
    } catch (const RunController::ForcedStop &) {
        // The forced stop has signalled completion already; the archive was abandoned as it stood.
        return;
    } catch (...) {
        // Whatever went wrong, the interface thread must be released.
    }
    m_controller.signalCompletion();
}

void TThreadArhiviranje::Execute()
{
    QThread::msleep(static_cast<unsigned long>(m_controller.startDelay()));

    QStringList entries;
    if (!readEntries(entries))
        return;
    m_controller.handOver(RunController::HandOver::StatusCollecting, [this] {
        m_controller.view().setStatusText(MessageTable::text(Msg::StatusCollecting));
    });

    SourceCollection collection;
    HandOverSink sink(m_controller);
    collection.resolveEntries(entries, sink);

    // Every core starts compressing as soon as the files are known, while the totals are counted and
    // the folder entries written; entries are still added one by one, each after its stop test.
    const SortedPathList &files = collection.lista_fileova_finalna();
    std::vector<std::string> names;
    names.reserve(static_cast<std::size_t>(files.size()));
    for (const QString &fileSource : files)
        names.push_back(localPath(fileSource));
    TParallelCompressor compressor(std::move(names));
    const PauseHookScope pauseHook(m_controller, [&compressor](bool paused) { compressor.SetPaused(paused); });

    collection.reportTotals(sink);
    archive(collection.lista_mapa_finalna(), files, compressor);
}

bool TThreadArhiviranje::readEntries(QStringList &entries)
{
    m_controller.handOver(RunController::HandOver::CopySettings, [this] {
        m_userfolder = m_controller.settings().userfolder;
        m_arhiva_file = m_controller.state().arhiva_file;
        m_GLOBAL_lista = m_controller.settings().GLOBAL_lista;
    });
    const std::optional<QStringList> lines = ReadListLines(ListFileName(m_userfolder, m_GLOBAL_lista));
    if (!lines)
        return false;
    entries = *lines;
    return true;
}

void TThreadArhiviranje::archive(const SortedPathList &folders, const SortedPathList &files,
                                 TParallelCompressor &compressor)
{
    TZipFile zip;
    zip.SetOnProgress([this](TZipFile &, const std::string &, const TZipHeader &, std::int64_t position) {
        m_controller.OnProgress(position);
    });
    try {
        zip.Open(localPath(m_arhiva_file), zmWrite);
    } catch (const RunController::ForcedStop &) {
        throw;
    } catch (...) {
        reportArchiveError();
        return;
    }
    try {
        m_controller.handOver(RunController::HandOver::TimerRestart, [this] { m_controller.restartTimer(); });
        if (addFolders(zip, folders)) {
            addFiles(zip, files, compressor);
        }
        zip.Close();
    } catch (const RunController::ForcedStop &) {
        zip.Abandon();
        throw;
    } catch (...) {
        // The directory could not be written (a full disk): say so rather than report success.
        zip.Abandon();
        reportArchiveError();
    }
    m_controller.handOver(RunController::HandOver::TimerStop, [this] { m_controller.stopTimer(); });
}

bool TThreadArhiviranje::addFolders(TZipFile &zip, const SortedPathList &folders)
{
    for (const QString &folder : folders) {
        if (!DirectoryExists(folder))
            continue;
        try {
            AddEmptyFolderToZip(zip, folder);
        } catch (const RunController::ForcedStop &) {
            throw;
        } catch (...) {
            // The entries written so far stay readable: the caller still closes the archive.
            reportArchiveError();
            return false;
        }
    }
    return true;
}

void TThreadArhiviranje::addFiles(TZipFile &zip, const SortedPathList &files, TParallelCompressor &compressor)
{
    for (const QString &fileSource : files) {
        m_controller.handOver(RunController::HandOver::CopyStopFlag,
                              [this] { m_PrekidArhiviranja = m_controller.state().PrekidArhiviranja; });
        if (m_PrekidArhiviranja)
            break;
        m_controller.handOver(RunController::HandOver::FileBarReset,
                              [this] { m_controller.view().setFileProgress(0); });
        TCompressedEntry &data = compressor.Next();
        try {
            addFile(zip, fileSource, data);
        } catch (const RunController::ForcedStop &) {
            throw;
        } catch (...) {
            m_controller.handOver(RunController::HandOver::FileFailed, [this, &fileSource] {
                RunState &state = m_controller.state();
                ++state.file_missing;
                state.file_missing_list.append(fileSource);
            });
        }
    }
}

void TThreadArhiviranje::addFile(TZipFile &zip, const QString &fileSource, TCompressedEntry &data)
{
    // The data may have been read ahead; a file deleted since then is still missing at its turn.
    std::string openError;
    if (!data.WaitOpened(openError))
        throw EStreamError(openError);
    const std::optional<SourceProperties> properties = propertiesOf(fileSource);
    if (!properties || !properties->isFile)
        throw EStreamError("No such file");
    m_controller.handOver(RunController::HandOver::FileOpened, [this, &fileSource] {
        m_controller.state().file_size = GetFileSize(fileSource);
        m_LBL_Status = m_controller.view().statusText();
    });
    if (m_LBL_Status != MessageTable::text(Msg::StatusStopping)) {
        m_controller.handOver(RunController::HandOver::FileStatus, [this, &fileSource] {
            RunState &state = m_controller.state();
            ++state.file_count_progress;
            m_controller.view().setStatusText(
                MessageTable::text(Msg::StatusArchivingFile) + QLatin1Char(' ') +
                RunSummary::count(state.file_count_progress) + QLatin1Char('/') +
                RunSummary::count(state.file_count_ukupno) + QStringLiteral("\r\n\r\n") + fileSource);
        });
    }
    zip.AddCompressed(data, EntryNameOfFile(fileSource).toStdString(), properties->attributes,
                      properties->modified);
    m_controller.handOver(RunController::HandOver::FileAdded, [this] {
        RunState &state = m_controller.state();
        state.file_size_progress += state.file_size;
    });
}

void TThreadArhiviranje::reportArchiveError()
{
    m_controller.handOver(RunController::HandOver::ArchiveError, [this] {
        m_controller.view().showArchiveError(MessageTable::text(Msg::StatusArchiveError));
    });
}
