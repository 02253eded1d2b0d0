#include "run/FileSystem.h"

#include "zip/LongPath.h"

#include <QFile>

#include <sys/stat.h>

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
