#pragma once

#include "platform/FileDownload.h"

#include <chrono>

// A download through QNetworkAccessManager, waited for in a local event loop that takes no user input,
// so the window cannot be used meanwhile but still paints. A download that has not ended within the
// time limit, or whose answer passes its size limit, is abandoned and counts as failed.
class QtFileDownload : public FileDownload
{
  public:
    explicit QtFileDownload(std::chrono::milliseconds limit = std::chrono::seconds(15));

    bool DownloadFile(const QString &url, const QString &fileName, qint64 maxBytes) override;

  private:
    std::chrono::milliseconds m_limit;
};
