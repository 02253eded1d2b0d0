#pragma once

#include <QByteArray>

#include <sys/types.h>

// What a folder walk leaves out. Asked for every file with the identity of the folder it is in, and for
// every subfolder before it is listed or entered; what is left out is neither listed nor walked.
class DirectoryFilter
{
  public:
    virtual ~DirectoryFilter() = default;

    // Whether the file name in the folder (its path with a closing "/", and its device and inode) is left
    // out.
    virtual bool skipFile(const QByteArray &folder, dev_t folderDevice, ino_t folderInode,
                          const QByteArray &name) = 0;
    // Whether the subfolder name of the folder (its path with a closing "/") is left out, with everything
    // below it.
    virtual bool skipFolder(const QByteArray &folder, const QByteArray &name) = 0;
};
