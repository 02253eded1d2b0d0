#pragma once

class QUrl;

// Opens web pages and local files with the user's default program for them.
class UrlOpener
{
  public:
    virtual ~UrlOpener() = default;

    // Nothing is reported when no program opens the address.
    virtual void OpenUrl(const QUrl &url) = 0;
};
