#include "run/RestoreJob.h"

#include "config/MessageTable.h"
#include "run/ArchiveListing.h"
#include "run/EntryName.h"
#include "run/ZipReason.h"
#include "zip/EZipException.h"
#include "zip/TZipExtraField_Unix.h"
#include "zip/TZipFile.h"
#include "zip/ZipFileSystem.h"

#include <QDateTime>
#include <QFile>
#include <QRegularExpression>
#include <QSet>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <dirent.h>
#include <exception>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace {

// Thrown from the progress of an entry to drop it when the restore is stopped.
struct StopRequested
{
};

// An entry chosen that the archive does not hold.
struct FewerEntries
{
};

// An entry whose name on disk an earlier entry of this restore took.
struct NameTaken
{
};

// The failure of an entry without the entry's own name, which the report puts beside it already; a
// file or folder on disk that it names stays.
TZipFault Unnamed(TZipFault fault, const QString &name)
{
    if (EntryName::fromBytes(fault.Entry) == name)
        fault.Entry.clear();
    return fault;
}

std::string fileSystemName(const QString &path)
{
    return EntryName::toBytes(path);
}

QString joined(const QString &folder, const QString &relative)
{
    if (folder.endsWith(QLatin1Char('/')))
        return folder + relative;
    return folder + QLatin1Char('/') + relative;
}

bool standing(const QString &path)
{
    struct stat status
    {
    };
    return ::lstat(fileSystemName(path).c_str(), &status) == 0;
}

// The folders of a path below folder, outermost first ("a/b/c.txt" gives folder/a and folder/a/b; a
// folder's own path is among them).
QStringList foldersOf(const QString &folder, const QString &relativePath)
{
    QStringList folders;
    const QStringList parts = relativePath.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    const qsizetype count = relativePath.endsWith(QLatin1Char('/')) ? parts.size() : parts.size() - 1;
    QString path = folder;
    for (qsizetype i = 0; i < count; ++i) {
        path = joined(path, parts[i]);
        folders << path;
    }
    return folders;
}

// Temporary files an earlier restore left in folder when it was killed: ".arkivoda-<pid>-<n>.part" of
// a process that no longer runs.
QStringList leftoverTemporaries(const QString &folder)
{
    QStringList found;
    DIR *listing = ::opendir(fileSystemName(folder).c_str());
    if (listing == nullptr)
        return found;
    static const QRegularExpression temporary(QStringLiteral("^\\.arkivoda-(\\d+)-\\d+\\.part$"));
    while (const dirent *entry = ::readdir(listing)) {
        const QRegularExpressionMatch match = temporary.match(QString::fromLatin1(entry->d_name));
        if (!match.hasMatch())
            continue;
        const pid_t pid = match.captured(1).toInt();
        if (pid > 0 && pid != ::getpid() && (::kill(pid, 0) == 0 || errno == EPERM))
            continue; // a restore still at work
        found << joined(folder, QString::fromLatin1(entry->d_name));
    }
    ::closedir(listing);
    return found;
}

void setFolderDateAndMode(const QString &path, const QDateTime &when, std::uint32_t unixMode)
{
    const int folder = ::open(fileSystemName(path).c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (folder < 0)
        return;
    // Only the permission bits, less the umask: set-user-ID, set-group-ID and sticky do not travel.
    if (unixMode != 0)
        ::fchmod(folder, unixMode & 0777 & ~CurrentUmask());
    if (when.isValid()) {
        const struct timespec times[2] = {{when.toSecsSinceEpoch(), 0}, {when.toSecsSinceEpoch(), 0}};
        ::futimens(folder, times);
    }
    ::close(folder);
}

} // namespace

RestoreJob::RestoreJob(QString archivePath, QList<RestoreItem> items, Existing existing)
    : m_archivePath(std::move(archivePath)), m_items(std::move(items)), m_existing(existing)
{
}

RestoreJob::Result RestoreJob::run()
{
    Result result;
    TZipFile zip;
    QStringList names;
    try {
        zip.Open(fileSystemName(m_archivePath), zmRead);
        for (const RestoreItem &item : m_items) {
            if (item.index < 0 || item.index >= zip.FileCount())
                throw FewerEntries();
            names << EntryName::fromBytes(zip.FileName(item.index));
            if (!item.relativePath.endsWith(QLatin1Char('/')))
                m_state.bytesTotal += qint64(zip.FileInfo(item.index).GetZIP64_UncompressedSize());
        }
    } catch (const FewerEntries &) {
        const QString reason = MessageTable::text(Msg::RestoreFewerEntries);
        for (const RestoreItem &item : m_items)
            result.failed << Failure{item.relativePath, reason};
        return result;
    } catch (const std::exception &error) {
        const QString reason = ZipReason::text(error);
        for (const RestoreItem &item : m_items)
            result.failed << Failure{item.relativePath, reason};
        return result;
    }
    m_state.entriesTotal = int(m_items.size());

    // Folders get their dates and modes once everything inside them is written, and only those this
    // restore made: a folder that was there keeps its own.
    struct FolderEntry
    {
        QString path;
        std::uint32_t dosTime = 0;
        std::uint32_t unixMode = 0;
    };
    QList<FolderEntry> folders;
    QSet<QString> seenFolders;
    QSet<QString> madeFolders;
    QStringList fileFolders;
    for (qsizetype i = 0; i < m_items.size(); ++i) {
        const RestoreItem &item = m_items[i];
        const QString &name = names[i];
        if (m_stop) {
            result.stopped = true;
            break;
        }
        m_state.current = name;
        if (m_progress)
            m_progress(m_state);
        const QStringList itemFolders = foldersOf(item.folder, item.relativePath);
        for (const QString &folder : itemFolders) {
            if (!seenFolders.contains(folder) && !standing(folder))
                madeFolders.insert(folder);
            seenFolders.insert(folder);
        }
        try {
            if (item.relativePath.endsWith(QLatin1Char('/'))) {
                if (restoreFolder(zip, item, name, result)) {
                    const TZipHeader header = zip.FileInfo(item.index);
                    folders.append({joined(item.folder, item.relativePath), header.ModifiedDateTime,
                                    EntryUnixMode(header)});
                }
            } else {
                fileFolders << (itemFolders.isEmpty() ? item.folder : itemFolders.last());
                if (restoreFile(zip, item, name, result))
                    ++result.restored;
            }
        } catch (const StopRequested &) {
            result.stopped = true;
            break;
        } catch (const NameTaken &) {
            result.failed << Failure{name, MessageTable::text(Msg::RestoreNameTaken)};
        } catch (const std::exception &error) {
            result.failed << Failure{name, ZipReason::text(Unnamed(TZipFault::Of(error), name))};
        }
        ++m_state.entriesDone;
    }
    // Deepest first, so that setting a folder's date does not touch one already set.
    std::sort(folders.begin(), folders.end(),
              [](const FolderEntry &a, const FolderEntry &b) { return a.path.size() > b.path.size(); });
    for (const FolderEntry &folder : folders) {
        QString path = folder.path;
        if (path.endsWith(QLatin1Char('/')))
            path.chop(1);
        if (madeFolders.contains(path))
            setFolderDateAndMode(path, ArchiveListing::localTime(folder.dosTime), folder.unixMode);
    }
    fileFolders.removeDuplicates();
    for (const QString &folder : std::as_const(fileFolders))
        result.leftovers << leftoverTemporaries(folder);
    m_state.current.clear();
    if (m_progress)
        m_progress(m_state);
    return result;
}

bool RestoreJob::restoreFile(TZipFile &zip, const RestoreItem &item, const QString &name, Result &result)
{
    const std::string refusal = zip.ExtractRefusal(item.index);
    if (!refusal.empty())
        throw EZipException(refusal);
    const qint64 start = m_state.bytesDone;
    const auto size = qint64(zip.FileInfo(item.index).GetZIP64_UncompressedSize());
    const TExtractProgressEvent progress = [&](std::uint64_t written) {
        if (m_stop)
            throw StopRequested();
        m_state.bytesDone = start + qint64(written);
        if (m_progress)
            m_progress(m_state);
    };
    const std::string folder = fileSystemName(item.folder);
    const QString target = joined(item.folder, item.relativePath);
    // Two entries whose names come to the same name on disk (a name given twice, or decoded from two
    // encodings) must not overwrite each other: the first one stays.
    if (m_written.contains(target))
        throw NameTaken();
    m_written.insert(target);
    // Nothing is decompressed for a file that is then kept.
    std::optional<Existing> choice;
    if (standing(target))
        choice = decide(target);
    for (;;) {
        if (!choice) {
            if (zip.ExtractTo(item.index, folder, fileSystemName(item.relativePath), TExtractExisting::Keep,
                              progress))
                break;
            // Something took the name while the entry was read.
            choice = decide(target);
            continue;
        }
        if (*choice == Existing::Skip) {
            result.skipped << name;
            m_state.bytesDone = start + size;
            return false;
        }
        if (*choice == Existing::Replace) {
            zip.ExtractTo(item.index, folder, fileSystemName(item.relativePath), TExtractExisting::Replace,
                          progress);
            break;
        }
        const qsizetype slash = item.relativePath.lastIndexOf(QLatin1Char('/'));
        const QString parent = item.relativePath.left(slash + 1);
        const QString fileName = item.relativePath.mid(slash + 1);
        const QString suffix = MessageTable::text(Msg::RestoreKeepBothSuffix);
        bool written = false;
        for (int attempt = 1; !written; ++attempt) {
            const QString relative = parent + keepBothName(fileName, suffix, attempt);
            if (standing(joined(item.folder, relative)))
                continue;
            written =
                zip.ExtractTo(item.index, folder, fileSystemName(relative), TExtractExisting::Keep, progress);
            // A free name that still cannot be written has a link where one of its folders goes:
            // another name would meet the same link.
            if (!written && !standing(joined(item.folder, relative))) {
                result.skipped << name;
                m_state.bytesDone = start + size;
                return false;
            }
        }
        break;
    }
    m_state.bytesDone = start + size;
    return true;
}

bool RestoreJob::restoreFolder(TZipFile &zip, const RestoreItem &item, const QString &name, Result &result)
{
    const std::string folder = fileSystemName(item.folder);
    const std::string relative = fileSystemName(item.relativePath);
    if (zip.ExtractTo(item.index, folder, relative, TExtractExisting::Keep))
        return true;
    // A link stands where the folder, or one above it, goes: it is in the way as a file would be.
    if (decide(joined(item.folder, item.relativePath)) == Existing::Replace) {
        zip.ExtractTo(item.index, folder, relative, TExtractExisting::Replace);
        return true;
    }
    result.skipped << name;
    return false;
}

RestoreJob::Existing RestoreJob::decide(const QString &path)
{
    if (m_existing != Existing::Ask)
        return m_existing;
    if (!m_question)
        return Existing::Skip;
    const Answer answer = m_question(path);
    if (answer.stop)
        throw StopRequested();
    if (answer.forAll)
        m_existing = answer.choice;
    return answer.choice == Existing::Ask ? Existing::Skip : answer.choice;
}

QList<RestoreItem> RestoreJob::planBelow(const ArchiveListing &listing, const QList<int> &entries,
                                         const QString &commonParent, const QString &target)
{
    QList<RestoreItem> items;
    for (const int index : entries) {
        const QString &name = listing.name(index);
        const QString relative = name.startsWith(commonParent) ? name.mid(commonParent.size()) : name;
        // The common parent's own entry is the target folder itself; an entry without a name is
        // kept, to be reported as one that cannot be restored.
        if (!relative.isEmpty() || name.isEmpty())
            items << RestoreItem{index, target, relative};
    }
    return items;
}

QList<RestoreItem> RestoreJob::planOriginal(const ArchiveListing &listing, const QList<int> &entries)
{
    QList<RestoreItem> items;
    for (const int index : entries) {
        const QString &name = listing.name(index);
        const bool folder = name.endsWith(QLatin1Char('/'));
        const QString path = folder ? name.chopped(1) : name;
        const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
        // The folder it stood in is the user's own, links and all: only the last name is placed by
        // the archive reader's rules.
        const QString parent = QLatin1Char('/') + path.left(std::max<qsizetype>(slash, 0));
        const QString relative = path.mid(slash + 1) + (folder ? QStringLiteral("/") : QString());
        if (!path.isEmpty() || name.isEmpty())
            items << RestoreItem{index, parent, relative};
    }
    return items;
}

QString RestoreJob::commonParent(const QStringList &names)
{
    std::optional<QString> common;
    for (const QString &name : names) {
        const QString path = name.endsWith(QLatin1Char('/')) ? name.chopped(1) : name;
        const QString parent = path.left(path.lastIndexOf(QLatin1Char('/')) + 1);
        if (!common) {
            common = parent;
            continue;
        }
        qsizetype same = 0;
        for (qsizetype i = 0; i < std::min(common->size(), parent.size()) && common->at(i) == parent.at(i);
             ++i)
            if (parent.at(i) == QLatin1Char('/'))
                same = i + 1;
        common = common->left(same);
    }
    return common.value_or(QString());
}

QString RestoreJob::keepBothName(const QString &fileName, const QString &suffix, int attempt)
{
    // The whole extension stays at the end ("a (vraćeno).tar.gz"); a leading dot is part of the name.
    const qsizetype dot = fileName.indexOf(QLatin1Char('.'), 1);
    const QString stem = dot > 0 ? fileName.left(dot) : fileName;
    const QString extension = dot > 0 ? fileName.mid(dot) : QString();
    QString tag = suffix;
    if (attempt > 1)
        tag = suffix.endsWith(QLatin1Char(')')) ? suffix.chopped(1) + QStringLiteral(" %1)").arg(attempt)
                                                : suffix + QStringLiteral(" %1").arg(attempt);
    return stem + tag + extension;
}
