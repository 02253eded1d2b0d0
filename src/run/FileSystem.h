#pragma once

#include <QString>

// Queries on the file system that follow symbolic links and open nothing.

// The file's size in bytes, or -1 when it cannot be read.
qint64 GetFileSize(const QString &fileName);
// Whether a regular file of that name exists.
bool FileExists(const QString &fileName);
// Whether a folder of that name exists.
bool DirectoryExists(const QString &folderName);
