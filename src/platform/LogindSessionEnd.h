#pragma once

#include "platform/SessionEnd.h"

// The session end through systemd-logind (org.freedesktop.login1) on the system bus. Authorisation is
// polkit's: an interactive request may bring up the desktop's authentication dialog.
class LogindSessionEnd : public SessionEnd
{
  public:
    bool isAvailable() override;
    bool PowerOff() override;
    bool TerminateSession() override;
};
