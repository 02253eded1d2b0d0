#include "run/ArchiveFolder.h"

#include "config/SystemReason.h"
#include "run/RetentionPlan.h"

#include <QDir>
#include <QFile>

#include <algorithm>
#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A regular file by its own entry: a link is not followed, so a link to an archive never counts.
bool isRegularFile(const QString &path)
{
    struct stat status;
    return ::lstat(QFile::encodeName(path).constData(), &status) == 0 && S_ISREG(status.st_mode);
}

} // namespace

ArchiveFolder::ArchiveFolder(const QString &folder, const QString &prefix)
    : m_folder(folder.endsWith(QLatin1Char('/')) || folder.isEmpty() ? folder : folder + QLatin1Char('/')),
      m_prefix(prefix)
{
    const QString stamp = QStringLiteral("_\\d{4}\\.\\d{2}\\.\\d{2}__\\d{2}\\.\\d{2}\\.\\d{2}\\.zip");
    const QString name = QRegularExpression::escape(prefix) + stamp;
    m_archive.setPattern(QRegularExpression::anchoredPattern(name));
    m_part.setPattern(QRegularExpression::anchoredPattern(name + QStringLiteral("\\.part")));
}

bool ArchiveFolder::isArchiveName(const QString &name) const
{
    return m_archive.match(name).hasMatch();
}

bool ArchiveFolder::isPartName(const QString &name) const
{
    return m_part.match(name).hasMatch();
}

QStringList ArchiveFolder::partFiles() const
{
    return matching(true);
}

QStringList ArchiveFolder::archives() const
{
    return matching(false);
}

QStringList ArchiveFolder::matching(bool parts) const
{
    if (m_folder.isEmpty())
        return {};
    QStringList found;
    const QStringList names = QDir(m_folder).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
    for (const QString &name : names) {
        if ((parts ? isPartName(name) : isArchiveName(name)) && isRegularFile(m_folder + name))
            found << m_folder + name;
    }
    // The stamp follows the one prefix, so the order of the names is the order of the runs.
    std::sort(found.begin(), found.end());
    return found;
}

ArchiveFolder::Pruning ArchiveFolder::prune(int keep, const QString &current,
                                            const std::function<bool(const QString &)> &isAutomatic,
                                            const QString &nowStamp) const
{
    Pruning result;
    if (keep <= 0)
        return result;
    QStringList names;
    for (const QString &path : archives())
        names << path.mid(m_folder.size());
    const QString currentName = current.startsWith(m_folder) ? current.mid(m_folder.size()) : QString();
    const RetentionPlan plan = RetentionPlan::make(m_prefix, names, currentName, keep, nowStamp, isAutomatic);
    for (const QString &name : plan.future)
        result.future << m_folder + name;
    for (const QString &name : plan.deleted) {
        const QString path = m_folder + name;
        // Looked at again just before: a name that became a link or a folder meanwhile is left alone.
        if (!isRegularFile(path))
            continue;
        if (::unlink(QFile::encodeName(path).constData()) == 0) {
            result.deleted << path;
        } else {
            const int error = errno;
            result.failed << path + QStringLiteral(": ") + SystemReason::text(error);
        }
    }
    return result;
}
