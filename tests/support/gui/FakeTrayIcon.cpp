#include "FakeTrayIcon.h"

void FakeTrayIcon::showMessage(const QString &title, const QString &text, BalloonIcon icon, int timeoutMs)
{
    messages.append({title, text, icon, timeoutMs});
}
