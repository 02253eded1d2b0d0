#include "run/SourceCollection.h"

#include "run/DirectoryTree.h"
#include "run/FileSystem.h"
#include "run/SourceCollectionSink.h"
#include "zip/LongPath.h"

#include <QDir>
#include <QFile>

#include <algorithm>
#include <cerrno>
#include <system_error>
#include <thread>
#include <vector>

#include <sys/stat.h>

namespace {

// Why an entry that is neither a file nor a folder could not be looked at (a folder on its path that may
// not be searched, a broken disk); 0 when it simply is not there or is no file (a FIFO, a device).
int unreachableError(const QByteArray &path)
{
    struct stat info;
    if (StatLongPath(path.toStdString(), info) == 0)
        return 0;
    const int error = errno;
    return error == ENOENT || error == ENOTDIR ? 0 : error;
}

} // namespace

void SourceCollection::resolveEntries(const QStringList &entries, SourceCollectionSink &sink)
{
    SortedPathList walkFiles;
    SortedPathList walkFolders;

    const auto reportUnavailable = [&sink](const QByteArray &folder, int error) {
        sink.unreadable(QFile::decodeName(folder), error);
    };
    for (const QString &entry : entries) {
        // The file system would see only the path up to a NUL (a list saved as UTF-16, a stray byte),
        // and the whole line would become an entry name: such a line names nothing.
        if (entry.contains(QChar(0))) {
            sink.missingEntry(entry);
            continue;
        }
        // "." and ".." are resolved first, so that no entry name holds ".." and no file is archived
        // under two names.
        const QByteArray fileSource = QFile::encodeName(QDir::cleanPath(entry));
        if (FileExists(fileSource)) {
            walkFiles.clear();
            walkFiles.add(fileSource);
            addFitting(m_files, walkFiles, false, sink);
        } else if (DirectoryExists(fileSource)) {
            walkFiles.clear();
            walkFolders.clear();
            const QByteArray folder = fileSource.endsWith('/') ? fileSource : fileSource + '/';
            DirectoryTree(folder + '*', walkFiles, walkFolders, reportUnavailable, &m_exclusions);
            addFitting(m_files, walkFiles, false, sink);
            addFitting(m_folders, walkFolders, true, sink);
        } else if (const int error = unreachableError(fileSource); error != 0) {
            sink.unreadable(entry, error);
        } else {
            sink.missingEntry(entry);
        }
    }
    if (m_exclusions.leftOutFiles() > 0 || m_exclusions.leftOutFolders() > 0)
        sink.leftOut(m_exclusions.leftOutFiles(), m_exclusions.leftOutFolders());
}

bool SourceCollection::entryNameFits(const QByteArray &path, bool folder)
{
    const qsizetype length =
        path.size() - (path.startsWith('/') ? 1 : 0) + (folder && !path.endsWith('/') ? 1 : 0);
    return length <= ENTRY_NAME_MAX;
}

void SourceCollection::addFitting(SortedPathList &target, const SortedPathList &paths, bool folders,
                                  SourceCollectionSink &sink)
{
    const QList<QByteArray> &localPaths = paths.localPaths();
    const auto fits = [folders](const QByteArray &path) { return entryNameFits(path, folders); };
    if (std::all_of(localPaths.cbegin(), localPaths.cend(), fits)) {
        target.add(paths);
        return;
    }
    for (const QByteArray &path : localPaths) {
        if (fits(path)) {
            target.add(path);
            continue;
        }
        // Everything below an over-long folder is over-long too: the folder is reported once, as the
        // first component whose folder name no longer fits, or else the path itself.
        const qsizetype offset = path.startsWith('/') ? 1 : 0;
        const qsizetype slash = path.indexOf('/', ENTRY_NAME_MAX + offset);
        const QByteArray shortest = slash < 0 ? path : path.left(slash);
        if (!m_tooLong.contains(shortest)) {
            m_tooLong.insert(shortest);
            sink.entryNameTooLong(QFile::decodeName(shortest));
        }
    }
}

void SourceCollection::reportTotals(SourceCollectionSink &sink) const
{
    const QList<QByteArray> &paths = m_files.localPaths();
    const QList<qint64> sizes = fileSizes(paths);
    for (const qint64 size : sizes)
        sink.fileSize(size < 0 ? 0 : size);
    sink.fileCount(m_files.size());
}

QList<qint64> SourceCollection::fileSizes(const QList<QByteArray> &paths)
{
    // Each size is a stat() of a full path, which the system answers on every core at once: with
    // hundreds of thousands of small files the sum is a noticeable wait before the first file.
    QList<qint64> sizes(paths.size(), 0);
    // Each thread writes its own share of the one buffer, taken before any thread starts.
    qint64 *const out = sizes.data();
    const auto measure = [&paths, out](qsizetype from, qsizetype to) {
        for (qsizetype i = from; i < to; ++i)
            out[i] = GetFileSize(paths[i]);
    };
    constexpr qsizetype SHARE_MIN = 4096;
    const qsizetype cores = std::max(1u, std::thread::hardware_concurrency());
    const qsizetype workers = std::min(cores, paths.size() / SHARE_MIN);
    if (workers <= 1) {
        measure(0, paths.size());
        return sizes;
    }
    std::vector<std::jthread> helpers;
    const qsizetype share = paths.size() / workers;
    try {
        for (qsizetype w = 1; w < workers; ++w)
            helpers.emplace_back(measure, w * share, w + 1 == workers ? paths.size() : (w + 1) * share);
    } catch (const std::system_error &) {
        // No thread to spare: the rest is measured here, after this thread's own share.
        const qsizetype started = static_cast<qsizetype>(helpers.size());
        measure((started + 1) * share, paths.size());
    }
    measure(0, share);
    return sizes;
}
