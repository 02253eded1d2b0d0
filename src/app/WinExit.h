#pragma once

class QString;
class SessionEnd;

// What WinExit is asked to do, as the flags of the session-end request.
constexpr unsigned EWX_LOGOFF = 0;
constexpr unsigned EWX_SHUTDOWN = 1;

// Asks the platform to log the user off (EWX_LOGOFF) or shut the computer down (EWX_SHUTDOWN); true
// when the request was accepted, false when it was refused, could not be made or the flags ask for
// something else.
bool WinExit(SessionEnd &session, unsigned flags);

// Makes the program able, or no longer able, to ask for the named privileged action. Linux has no
// per-process privilege to switch: the session manager authorises each request itself. Switching on
// succeeds when there is a session manager to ask; switching off has nothing to undo.
bool PostaviPrava(SessionEnd &session, const QString &privilege, bool enable);
