#include "run/DirectoryTree.h"

#include "run/DirectoryFilter.h"
#include "run/SortedPathList.h"
#include "zip/LongPath.h"

#include <QFile>
#include <QRegularExpression>

#include <algorithm>
#include <memory>
#include <vector>

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

namespace {

struct DirCloser
{
    void operator()(DIR *dir) const { ::closedir(dir); }
};
using DirHandle = std::unique_ptr<DIR, DirCloser>;

struct FolderIdentity
{
    dev_t device;
    ino_t inode;

    bool operator==(const FolderIdentity &) const = default;
};

enum class EntryKind { File, Folder, Skipped };

EntryKind kindOfMode(mode_t mode)
{
    if (S_ISDIR(mode))
        return EntryKind::Folder;
    if (S_ISREG(mode))
        return EntryKind::File;
    return EntryKind::Skipped;
}

// Classifies an entry, following links. The type that readdir() reports saves a stat() for plain
// files and folders, which is most of a tree.
EntryKind kindOfEntry(int folderFd, const dirent &entry)
{
    switch (entry.d_type) {
    case DT_REG:
        return EntryKind::File;
    case DT_DIR:
        return EntryKind::Folder;
    case DT_FIFO:
    case DT_SOCK:
    case DT_CHR:
    case DT_BLK:
        return EntryKind::Skipped;
    default:
        break;
    }
    struct stat info;
    if (::fstatat(folderFd, entry.d_name, &info, 0) != 0)
        return EntryKind::File;
    return kindOfMode(info.st_mode);
}

bool isDotOrDotDot(const char *name)
{
    return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

// The state of one DirectoryTree call: its mask, its two lists and the folders on the current path.
class DirectoryWalk
{
  public:
    DirectoryWalk(const QString &mask, SortedPathList &fileList, SortedPathList &dirList,
                  const std::function<void(const QByteArray &, int)> &unavailable, DirectoryFilter *filter)
        : m_matchesAll(mask == QLatin1String("*")),
          m_maskPattern(m_matchesAll ? QString() : QRegularExpression::wildcardToRegularExpression(mask)),
          m_fileList(fileList), m_dirList(dirList), m_unavailable(unavailable), m_filter(filter)
    {
    }

    // Walks one folder, given with a trailing "/", and everything below it; false when the folder could
    // not be opened at all.
    bool RFindFile(const QByteArray &folder);

  private:
    bool matchesMask(const QString &name) const
    {
        return m_matchesAll || m_maskPattern.match(name).hasMatch();
    }
    bool isOnWalkPath(const FolderIdentity &identity) const
    {
        return std::find(m_walkPath.cbegin(), m_walkPath.cend(), identity) != m_walkPath.cend();
    }

    const bool m_matchesAll;
    const QRegularExpression m_maskPattern;
    SortedPathList &m_fileList;
    void reportUnavailable(const QByteArray &folder, int error) const
    {
        if (m_unavailable)
            m_unavailable(folder.chopped(1), error);
    }

    SortedPathList &m_dirList;
    const std::function<void(const QByteArray &, int)> &m_unavailable;
    DirectoryFilter *const m_filter;
    std::vector<FolderIdentity> m_walkPath;
};

bool DirectoryWalk::RFindFile(const QByteArray &folder)
{
    const int folderFd = OpenLongPath(folder.toStdString(), O_RDONLY | O_DIRECTORY);
    DirHandle dir(folderFd >= 0 ? ::fdopendir(folderFd) : nullptr);
    if (!dir) {
        const int error = errno;
        if (folderFd >= 0)
            ::close(folderFd);
        reportUnavailable(folder, error);
        return false;
    }
    const int fd = ::dirfd(dir.get());

    struct stat own;
    if (::fstat(fd, &own) != 0) {
        reportUnavailable(folder, errno);
        return false;
    }
    const FolderIdentity identity{own.st_dev, own.st_ino};
    if (isOnWalkPath(identity))
        return true;
    m_walkPath.push_back(identity);
    struct WalkPathGuard
    {
        std::vector<FolderIdentity> &path;
        ~WalkPathGuard() { path.pop_back(); }
    } guard{m_walkPath};

    // A read error ends the listing: what was read so far is kept, and the folder is reported.
    std::vector<QByteArray> subfolders;
    for (;;) {
        errno = 0;
        const dirent *entry = ::readdir(dir.get());
        if (!entry) {
            if (errno != 0)
                reportUnavailable(folder, errno);
            break;
        }
        if (isDotOrDotDot(entry->d_name))
            continue;
        switch (kindOfEntry(fd, *entry)) {
        case EntryKind::File: {
            const QByteArray name(entry->d_name);
            if ((m_matchesAll || matchesMask(QFile::decodeName(name))) &&
                !(m_filter && m_filter->skipFile(folder, own.st_dev, own.st_ino, name)))
                m_fileList.add(folder + name);
            break;
        }
        case EntryKind::Folder:
            if (!(m_filter && m_filter->skipFolder(folder, QByteArray(entry->d_name))))
                subfolders.emplace_back(entry->d_name);
            break;
        case EntryKind::Skipped:
            break;
        }
    }
    // Closed before descending, so a deep tree does not hold one descriptor per level.
    dir.reset();

    // A subfolder that cannot be opened gets no entry: restored as an empty folder, it would pass for
    // one whose content was empty. The report names it instead.
    for (const QByteArray &name : subfolders) {
        const QByteArray subfolder = folder + name;
        if (RFindFile(subfolder + '/'))
            m_dirList.add(subfolder);
    }
    return true;
}

} // namespace

void DirectoryTree(const QByteArray &path, SortedPathList &fileList, SortedPathList &dirList,
                   const std::function<void(const QByteArray &, int)> &unavailable, DirectoryFilter *filter)
{
    const qsizetype maskStart = path.lastIndexOf('/') + 1;
    DirectoryWalk walk(QFile::decodeName(path.mid(maskStart)), fileList, dirList, unavailable, filter);
    walk.RFindFile(path.left(maskStart));
}

void DirectoryTree(const QString &path, SortedPathList &fileList, SortedPathList &dirList,
                   const std::function<void(const QByteArray &, int)> &unavailable)
{
    DirectoryTree(QFile::encodeName(path), fileList, dirList, unavailable);
}
