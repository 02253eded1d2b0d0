#include "run/SourceExclusions.h"

#include <QFile>
#include <QStringList>

#include <fnmatch.h>
#include <sys/stat.h>

SourceExclusions::SourceExclusions(const QString &patterns, const QString &archiveFolder,
                                   const QString &archivePrefix)
{
    for (const QString &entry : patterns.split(QLatin1Char(';'))) {
        const QString pattern = entry.trimmed();
        if (pattern.isEmpty() || pattern == QLatin1String("/"))
            continue;
        if (pattern.endsWith(QLatin1Char('/')))
            addPattern(m_folderPatterns, pattern.chopped(1));
        else
            addPattern(m_filePatterns, pattern);
    }
    struct stat folder;
    if (!archiveFolder.isEmpty() && ::stat(QFile::encodeName(archiveFolder).constData(), &folder) == 0 &&
        S_ISDIR(folder.st_mode)) {
        m_archives.emplace(archiveFolder, archivePrefix);
        m_archiveDevice = folder.st_dev;
        m_archiveInode = folder.st_ino;
    }
}

void SourceExclusions::addPattern(std::vector<Pattern> &patterns, const QString &pattern)
{
    // Matched as the file system's bytes, so a pattern reaches names in any encoding.
    const bool wholePath = pattern.startsWith(QLatin1Char('/'));
    patterns.push_back(
        {QFile::encodeName(pattern).toStdString(), wholePath ? 0 : int(pattern.count(u'/')) + 1});
}

bool SourceExclusions::matchesAny(const std::vector<Pattern> &patterns, const QByteArray &folder,
                                  const QByteArray &name)
{
    const QByteArray path = folder + name;
    for (const Pattern &pattern : patterns) {
        qsizetype start = 0;
        if (pattern.components > 0) {
            // The path's last components, as many as the pattern has; a shorter path does not match.
            qsizetype slash = path.size();
            int found = 0;
            while (found < pattern.components && slash > 0) {
                slash = path.lastIndexOf('/', slash - 1);
                if (slash < 0)
                    break;
                ++found;
            }
            if (found < pattern.components)
                continue;
            start = slash + 1;
        }
        if (::fnmatch(pattern.glob.c_str(), path.constData() + start, FNM_PATHNAME) == 0)
            return true;
    }
    return false;
}

bool SourceExclusions::skipFile(const QByteArray &folder, dev_t folderDevice, ino_t folderInode,
                                const QByteArray &name)
{
    bool skip = matchesAny(m_filePatterns, folder, name);
    if (!skip && m_archives && folderDevice == m_archiveDevice && folderInode == m_archiveInode) {
        const QString text = QFile::decodeName(name);
        skip = m_archives->isArchiveName(text) || m_archives->isPartName(text);
    }
    if (skip)
        ++m_leftOutFiles;
    return skip;
}

bool SourceExclusions::skipFolder(const QByteArray &folder, const QByteArray &name)
{
    const bool skip = matchesAny(m_folderPatterns, folder, name);
    if (skip)
        ++m_leftOutFolders;
    return skip;
}
