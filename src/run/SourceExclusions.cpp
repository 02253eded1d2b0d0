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
        // Names are matched as the file system's bytes, so a pattern reaches names in any encoding.
        if (pattern.endsWith(QLatin1Char('/')))
            m_folderPatterns.push_back(QFile::encodeName(pattern.chopped(1)).toStdString());
        else
            m_filePatterns.push_back(QFile::encodeName(pattern).toStdString());
    }
    struct stat folder;
    if (!archiveFolder.isEmpty() && ::stat(QFile::encodeName(archiveFolder).constData(), &folder) == 0 &&
        S_ISDIR(folder.st_mode)) {
        m_archives.emplace(archiveFolder, archivePrefix);
        m_archiveDevice = folder.st_dev;
        m_archiveInode = folder.st_ino;
    }
}

bool SourceExclusions::matchesAny(const std::vector<std::string> &patterns, const QByteArray &name)
{
    const std::string text = name.toStdString();
    for (const std::string &pattern : patterns) {
        if (::fnmatch(pattern.c_str(), text.c_str(), 0) == 0)
            return true;
    }
    return false;
}

bool SourceExclusions::skipFile(dev_t folderDevice, ino_t folderInode, const QByteArray &name)
{
    bool skip = matchesAny(m_filePatterns, name);
    if (!skip && m_archives && folderDevice == m_archiveDevice && folderInode == m_archiveInode) {
        const QString text = QFile::decodeName(name);
        skip = m_archives->isArchiveName(text) || m_archives->isPartName(text);
    }
    if (skip)
        ++m_leftOutFiles;
    return skip;
}

bool SourceExclusions::skipFolder(const QByteArray &name)
{
    const bool skip = matchesAny(m_folderPatterns, name);
    if (skip)
        ++m_leftOutFolders;
    return skip;
}
