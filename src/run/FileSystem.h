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
