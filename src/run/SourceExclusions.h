#pragma once

#include "run/ArchiveFolder.h"
#include "run/DirectoryFilter.h"

#include <optional>
#include <string>
#include <vector>

// What the collection of a run leaves out below the listed folders, and how much it left out: the
// user's patterns, and the archives of this configuration (and their ".part" files) when the walk
// reaches the archive folder, so that no archive is ever packed into the next one.
class SourceExclusions : public DirectoryFilter
{
  public:
    // Leaves nothing out.
    SourceExclusions() = default;
    // patterns: glob patterns separated by ";" ("*" and "?" and "[...]"); one ending in "/" matches a
    // folder, any other a file. A pattern without another "/" matches the name alone; one that starts
    // with "/" matches the whole path; any other with a "/" matches the path's last components, as many
    // as it has ("app/build/" leaves out each folder build inside a folder app). A "*" never crosses a
    // "/". Blanks around a pattern are ignored. The archives named
    // from archivePrefix are left out of archiveFolder (found by its identity, links followed), when
    // that folder exists.
    SourceExclusions(const QString &patterns, const QString &archiveFolder, const QString &archivePrefix);

    bool skipFile(const QByteArray &folder, dev_t folderDevice, ino_t folderInode,
                  const QByteArray &name) override;
    bool skipFolder(const QByteArray &folder, const QByteArray &name) override;

    // Files and folders left out so far.
    qint64 leftOutFiles() const { return m_leftOutFiles; }
    qint64 leftOutFolders() const { return m_leftOutFolders; }

  private:
    // A pattern, and how many path components it matches: 1 for a name, 0 for a whole path.
    struct Pattern
    {
        std::string glob;
        int components = 1;
    };

    static void addPattern(std::vector<Pattern> &patterns, const QString &pattern);
    static bool matchesAny(const std::vector<Pattern> &patterns, const QByteArray &folder,
                           const QByteArray &name);

    std::vector<Pattern> m_filePatterns;
    std::vector<Pattern> m_folderPatterns;
    std::optional<ArchiveFolder> m_archives;
    dev_t m_archiveDevice = 0;
    ino_t m_archiveInode = 0;
    qint64 m_leftOutFiles = 0;
    qint64 m_leftOutFolders = 0;
};
