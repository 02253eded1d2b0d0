#pragma once

#include <QByteArray>
#include <QString>

#include <functional>

class DirectoryFilter;
class SortedPathList;

// Walks a folder and everything below it. `path` is a folder followed by a file-name mask as its last
// component ("/home/ana/Dok/*"), as the file system's bytes. Every file below the folder whose name
// matches the mask goes to fileList; every subfolder, at every depth, goes to dirList (no trailing
// "/"). Nothing is cleared.
//
// Hidden entries are included, and names are kept as bytes, also when they are not valid UTF-8. The
// walk goes through folder descriptors, so depth is not limited by the length of a whole path. Links
// to folders are walked, but a folder that is already on the current walk path (same device and
// inode) is listed without being entered again, so link cycles end. A folder that cannot be listed,
// or whose listing fails part-way, is reported to `unavailable` once (without a trailing "/") with the
// system's error number. One whose listing failed part-way keeps what was read of it and is still
// listed itself when it is a subfolder; a subfolder that cannot be opened at all is not listed. FIFOs,
// sockets and device files are left out: they have no content to back up, and reading a FIFO or a character
// device would block the run. An entry whose type cannot be read (such as a link to nothing) counts as a
// file, so that the run reports it when it cannot be archived. What the filter, when given, leaves out is
// neither listed nor walked.
void DirectoryTree(const QByteArray &path, SortedPathList &fileList, SortedPathList &dirList,
                   const std::function<void(const QByteArray &folder, int error)> &unavailable = {},
                   DirectoryFilter *filter = nullptr);
// The same for a path given as text.
void DirectoryTree(const QString &path, SortedPathList &fileList, SortedPathList &dirList,
                   const std::function<void(const QByteArray &folder, int error)> &unavailable = {});
