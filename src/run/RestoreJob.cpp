#include "run/RestoreJob.h"

#include "config/MessageTable.h"
#include "run/ArchiveListing.h"
#include "zip/TZipFile.h"

#include <QDateTime>
#include <QFile>

#include <algorithm>
#include <exception>
#include <fcntl.h>
#include <optional>
#include <stdexcept>
#include <sys/stat.h>

namespace {

// Thrown from the progress of an entry to drop it when the restore is stopped.
struct StopRequested
{
};

std::string fileSystemName(const QString &path)
{
    return QFile::encodeName(path).toStdString();
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
    return ::lstat(QFile::encodeName(path).constData(), &status) == 0;
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
                throw std::out_of_range("The archive has fewer entries than were chosen");
            names << QString::fromStdString(zip.FileName(item.index));
            if (!item.relativePath.endsWith(QLatin1Char('/')))
                m_state.bytesTotal += qint64(zip.FileInfo(item.index).GetZIP64_UncompressedSize());
        }
    } catch (const std::exception &error) {
        const QString reason = QString::fromUtf8(error.what());
        for (const RestoreItem &item : m_items)
            result.failed << Failure{item.relativePath, reason};
        return result;
    }
    m_state.entriesTotal = int(m_items.size());

    // Folders get their dates once everything inside them is written.
    QList<std::pair<QString, std::uint32_t>> folders;
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
        try {
            if (item.relativePath.endsWith(QLatin1Char('/'))) {
                zip.ExtractTo(item.index, fileSystemName(item.folder), fileSystemName(item.relativePath),
                              TExtractExisting::Keep);
                folders.append(
                    {joined(item.folder, item.relativePath), zip.FileInfo(item.index).ModifiedDateTime});
            } else if (restoreFile(zip, item, name, result)) {
                ++result.restored;
            }
        } catch (const StopRequested &) {
            result.stopped = true;
            break;
        } catch (const std::exception &error) {
            result.failed << Failure{name, QString::fromUtf8(error.what())};
        }
        ++m_state.entriesDone;
    }
    // Deepest first, so that setting a folder's date does not touch one already set.
    std::sort(folders.begin(), folders.end(),
              [](const auto &a, const auto &b) { return a.first.size() > b.first.size(); });
    for (const auto &[path, dosTime] : folders) {
        const QDateTime when = ArchiveListing::localTime(dosTime);
        if (!when.isValid())
            continue;
        const struct timespec times[2] = {{when.toSecsSinceEpoch(), 0}, {when.toSecsSinceEpoch(), 0}};
        ::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, AT_SYMLINK_NOFOLLOW);
    }
    m_state.current.clear();
    if (m_progress)
        m_progress(m_state);
    return result;
}

bool RestoreJob::restoreFile(TZipFile &zip, const RestoreItem &item, const QString &name, Result &result)
{
    const std::string refusal = zip.ExtractRefusal(item.index);
    if (!refusal.empty())
        throw std::runtime_error(refusal);
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
            if (!standing(joined(item.folder, relative)))
                written = zip.ExtractTo(item.index, folder, fileSystemName(relative), TExtractExisting::Keep,
                                        progress);
        }
        break;
    }
    m_state.bytesDone = start + size;
    return true;
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
        if (!relative.isEmpty())
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
        if (!path.isEmpty())
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
