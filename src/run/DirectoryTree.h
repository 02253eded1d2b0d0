#pragma once

#include <QString>

class SortedPathList;

// Walks a folder and everything below it. `path` is a folder followed by a file-name mask as its last
// component ("/home/ana/Dok/*"). Every file below the folder whose name matches the mask goes to
// fileList; every subfolder, at every depth, goes to dirList (no trailing "/"). Nothing is cleared.
//
// Hidden entries are included. Links to folders are walked, but a folder that is already on the
// current walk path (same device and inode) is listed without being entered again, so link cycles end.
// A folder that cannot be listed adds nothing below it, and is still listed itself when it is a
// subfolder. FIFOs, sockets and device files are left out: they have no content to back up, and
// reading a FIFO or a character device would block the run. An entry whose type cannot be read
// (such as a link to nothing) counts as a file, so that the run reports it when it cannot be archived.
void DirectoryTree(const QString &path, SortedPathList &fileList, SortedPathList &dirList);
