#include "app/WinExit.h"

#include "platform/SessionEnd.h"

#include <QString>

bool PostaviPrava(SessionEnd &session, const QString &privilege, bool enable)
{
    Q_UNUSED(privilege);
    return !enable || session.isAvailable();
}

bool WinExit(SessionEnd &session, unsigned flags)
{
    const QString privilege = QStringLiteral("SeShutdownPrivilege");
    if (!PostaviPrava(session, privilege, true))
        return false;
    bool accepted = false;
    if (flags == EWX_SHUTDOWN)
        accepted = session.PowerOff();
    else if (flags == EWX_LOGOFF)
        accepted = session.TerminateSession();
    // Switching off cannot fail in a way that changes the answer already given.
    [[maybe_unused]] const bool switchedOff = PostaviPrava(session, privilege, false);
    return accepted;
}
