#include "app/WinExit.h"

#include <QString>

bool PostaviPrava(SessionEnd &session, const QString &privilege, bool enable)
{
    Q_UNUSED(privilege);
    return !enable || session.isAvailable();
}

bool WinExit(SessionEnd &session, unsigned flags, const QObject *context, SessionEnd::AnswerHandler answered)
{
    if (flags != EWX_SHUTDOWN && flags != EWX_LOGOFF)
        return false;
    const QString privilege = QStringLiteral("SeShutdownPrivilege");
    if (!PostaviPrava(session, privilege, true))
        return false;
    if (flags == EWX_SHUTDOWN)
        session.PowerOff(context, std::move(answered));
    else
        session.TerminateSession(context, std::move(answered));
    // Switching off cannot fail in a way that changes the answer already given.
    [[maybe_unused]] const bool switchedOff = PostaviPrava(session, privilege, false);
    return true;
}
