#pragma once

#include <QByteArray>

#include <sys/types.h>

// What a folder walk leaves out. Asked for every file with the identity of the folder it is in, and for
// every subfolder before it is listed or entered; what is left out is neither listed nor walked.
class DirectoryFilter
{
  public:
    virtual ~DirectoryFilter() = default;

    // Whether the file name in the folder (device, inode) is left out.
    virtual bool skipFile(dev_t folderDevice, ino_t folderInode, const QByteArray &name) = 0;
    // Whether the subfolder name is left out, with everything below it.
    virtual bool skipFolder(const QByteArray &name) = 0;
};
