#pragma once

class QString;

// Downloads from the network into a local file.
class FileDownload
{
  public:
    virtual ~FileDownload() = default;

    // Downloads the address into the file, replacing it; true on success. Any failure (no connection,
    // a server error, no answer in time) gives false and leaves no file of that name written.
    virtual bool DownloadFile(const QString &url, const QString &fileName) = 0;
};
