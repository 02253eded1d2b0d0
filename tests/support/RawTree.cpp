#include "RawTree.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Opens (creating when asked) each folder of a relative path below a folder descriptor; returns the
// descriptor of the last one, or -1.
int openFolders(int base, const QList<QByteArray> &names, bool create)
{
    int fd = ::dup(base);
    for (const QByteArray &name : names) {
        if (name.isEmpty())
            continue;
        if (create)
            ::mkdirat(fd, name.constData(), 0755);
        const int next = ::openat(fd, name.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        ::close(fd);
        if (next < 0)
            return -1;
        fd = next;
    }
    return fd;
}

// Removes everything below a folder descriptor, and closes it.
void removeContents(int fd)
{
    DIR *dir = ::fdopendir(fd);
    if (!dir) {
        ::close(fd);
        return;
    }
    QList<QByteArray> names;
    while (const dirent *entry = ::readdir(dir)) {
        const QByteArray name(entry->d_name);
        if (name != "." && name != "..")
            names.append(name);
    }
    for (const QByteArray &name : names) {
        if (::unlinkat(fd, name.constData(), 0) == 0)
            continue;
        ::fchmodat(fd, name.constData(), 0700, 0);
        const int child = ::openat(fd, name.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (child >= 0)
            removeContents(child);
        ::unlinkat(fd, name.constData(), AT_REMOVEDIR);
    }
    ::closedir(dir);
}

} // namespace

RawTree::RawTree()
{
    QByteArray pattern = QFile::encodeName(QDir::tempPath()) + "/arkivoda-raw-XXXXXX";
    if (!::mkdtemp(pattern.data()))
        throw std::runtime_error("cannot create a temporary folder");
    m_root = pattern;
}

RawTree::~RawTree()
{
    const int fd = ::open(m_root.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0)
        removeContents(fd);
    ::rmdir(m_root.constData());
}

QByteArray RawTree::makeDir(const QByteArray &relative) const
{
    const int rootFd = ::open(m_root.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    const int fd = openFolders(rootFd, relative.split('/'), true);
    ::close(rootFd);
    if (fd < 0)
        throw std::runtime_error("cannot create a folder of the tree");
    ::close(fd);
    return m_root + '/' + relative;
}

QByteArray RawTree::writeFile(const QByteArray &relative, const QByteArray &content) const
{
    const qsizetype slash = relative.lastIndexOf('/');
    const int rootFd = ::open(m_root.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    const int folder = openFolders(rootFd, relative.left(std::max<qsizetype>(slash, 0)).split('/'), true);
    ::close(rootFd);
    if (folder < 0)
        throw std::runtime_error("cannot create a folder of the tree");
    const int file =
        ::openat(folder, relative.mid(slash + 1).constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    ::close(folder);
    if (file < 0 || ::write(file, content.constData(), size_t(content.size())) != content.size()) {
        if (file >= 0)
            ::close(file);
        throw std::runtime_error("cannot write a file of the tree");
    }
    ::close(file);
    return m_root + '/' + relative;
}
