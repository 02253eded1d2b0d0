#pragma once

#include <QtGlobal>

class QString;

// Downloads from the network into a local file.
class FileDownload
{
  public:
    virtual ~FileDownload() = default;

    // Downloads the address into the file, replacing it; true on success. Any failure (no connection,
    // a server error, no answer in time, an answer longer than maxBytes) gives false and leaves no
    // file of that name written. An answer that passes maxBytes is abandoned as soon as it does, so no
    // more than about maxBytes is ever held in memory.
    virtual bool DownloadFile(const QString &url, const QString &fileName, qint64 maxBytes) = 0;
};
