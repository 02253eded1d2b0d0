#pragma once

#include "platform/SessionEnd.h"

class QObject;
class QString;

// What WinExit is asked to do, as the flags of the session-end request.
constexpr unsigned EWX_LOGOFF = 0;
constexpr unsigned EWX_SHUTDOWN = 1;

// Asks the platform to log the user off (EWX_LOGOFF) or shut the computer down (EWX_SHUTDOWN). It
// returns at once: true when the request was made, false when it could not be made or the flags ask
// for something else. Whether the platform accepts it comes later, through answered (not called once
// the context is gone), since the platform may first ask the user to authorise it.
bool WinExit(SessionEnd &session, unsigned flags, const QObject *context, SessionEnd::AnswerHandler answered);

// Makes the program able, or no longer able, to ask for the named privileged action. Linux has no
// per-process privilege to switch: the session manager authorises each request itself. Switching on
// succeeds when there is a session manager to ask; switching off has nothing to undo.
bool PostaviPrava(SessionEnd &session, const QString &privilege, bool enable);
