#include "run/FileSystem.h"

#include "zip/LongPath.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace {

bool statFollowingLinks(const QByteArray &name, struct stat &info)
{
    // An empty name would otherwise reach stat() as "", which fails anyway; the test keeps it obvious.
    return !name.isEmpty() && StatLongPath(name.toStdString(), info) == 0;
}

} // namespace

qint64 GetFileSize(const QByteArray &fileName)
{
    struct stat info;
    if (!statFollowingLinks(fileName, info))
        return -1;
    return static_cast<qint64>(info.st_size);
}

bool FileExists(const QByteArray &fileName)
{
    // Only regular files: a FIFO, socket or device has no content to back up, and reading a FIFO or a
    // character device could block the run for ever.
    struct stat info;
    return statFollowingLinks(fileName, info) && S_ISREG(info.st_mode);
}

bool DirectoryExists(const QByteArray &folderName)
{
    struct stat info;
    return statFollowingLinks(folderName, info) && S_ISDIR(info.st_mode);
}

qint64 GetFileSize(const QString &fileName)
{
    return GetFileSize(QFile::encodeName(fileName));
}

bool FileExists(const QString &fileName)
{
    return FileExists(QFile::encodeName(fileName));
}

bool DirectoryExists(const QString &folderName)
{
    return DirectoryExists(QFile::encodeName(folderName));
}

namespace {

[[noreturn]] void failOn(const QString &name, const char *what, int error)
{
    throw std::system_error(error, std::generic_category(),
                            std::string(what) + " \"" + QFile::encodeName(name).toStdString() + '"');
}

} // namespace

void RenameFile(const QString &from, const QString &to, bool replace)
{
    const QByteArray source = QFile::encodeName(from);
    const QByteArray target = QFile::encodeName(to);
    if (replace) {
        if (::rename(source.constData(), target.constData()) != 0)
            failOn(from, "Cannot rename file", errno);
        return;
    }
    if (::renameat2(AT_FDCWD, source.constData(), AT_FDCWD, target.constData(), RENAME_NOREPLACE) == 0)
        return;
    // A file system without the flag: the test and the rename are two steps there.
    if (errno != EINVAL && errno != ENOSYS)
        failOn(from, "Cannot rename file", errno);
    struct stat existing;
    if (::lstat(target.constData(), &existing) == 0)
        failOn(from, "Cannot rename file", EEXIST);
    if (::rename(source.constData(), target.constData()) != 0)
        failOn(from, "Cannot rename file", errno);
}

void SyncFolderOf(const QString &fileName)
{
    const QString folder = QFileInfo(fileName).absolutePath();
    const int handle = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (handle < 0)
        failOn(folder, "Cannot open folder", errno);
    // Some file systems cannot sync a folder at all (EINVAL); their names are as safe as they get.
    const bool failed = ::fsync(handle) != 0 && errno != EINVAL;
    const int error = errno;
    ::close(handle);
    if (failed)
        failOn(folder, "Cannot write folder", error);
}

void SyncAndDropCachedPages(const QString &fileName)
{
    const int handle = ::open(QFile::encodeName(fileName).constData(), O_RDONLY | O_CLOEXEC);
    if (handle < 0)
        return;
    ::fsync(handle);
    // Pages still dirty are not dropped, hence the sync first.
    ::posix_fadvise(handle, 0, 0, POSIX_FADV_DONTNEED);
    ::close(handle);
}
