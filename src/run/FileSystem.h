#pragma once

#include <QByteArray>
#include <QString>

// Queries on the file system that follow symbolic links and open nothing. A path is given as text or
// as the file system's bytes; either may be longer than the system's limit for a whole path.

// The file's size in bytes, or -1 when it cannot be read.
qint64 GetFileSize(const QString &fileName);
qint64 GetFileSize(const QByteArray &fileName);
// Whether a regular file of that name exists.
bool FileExists(const QString &fileName);
bool FileExists(const QByteArray &fileName);
// Whether a folder of that name exists.
bool DirectoryExists(const QString &folderName);
bool DirectoryExists(const QByteArray &folderName);

// Gives a file another name in its file system: a file of the name to is replaced only when replace is
// set, else the rename fails with EEXIST. Raises std::system_error naming the file.
void RenameFile(const QString &from, const QString &to, bool replace);
// Writes the folder holding fileName to the disk, so that a name given or changed there survives a
// power cut. Raises std::system_error naming the folder.
void SyncFolderOf(const QString &fileName);
// Writes what the system still holds of the file to the disk, then drops its pages from the page cache,
// so that the next read comes from the disk. Failures are ignored: the read that follows reports them.
void SyncAndDropCachedPages(const QString &fileName);
