#include "platform/DesktopUrlOpener.h"

#include <QDesktopServices>
#include <QUrl>

void DesktopUrlOpener::OpenUrl(const QUrl &url)
{
    // Whether a program came up is not reported: there is nothing the caller would do about it.
    QDesktopServices::openUrl(url);
}
