#pragma once

#include "platform/UrlOpener.h"

// Opens addresses through QDesktopServices (xdg-open on a Linux desktop).
class DesktopUrlOpener : public UrlOpener
{
  public:
    void OpenUrl(const QUrl &url) override;
};
