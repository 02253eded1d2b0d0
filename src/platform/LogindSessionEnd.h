#pragma once

#include "platform/SessionEnd.h"

#include <QDBusConnection>

// The session end through systemd-logind (org.freedesktop.login1) on the system bus. Authorisation is
// polkit's: an interactive request may bring up the desktop's authentication dialog, so every call is
// asynchronous and the window stays live while the user answers it.
class LogindSessionEnd : public SessionEnd
{
  public:
    // Talks to logind on the given bus: the system bus unless a test runs its own.
    explicit LogindSessionEnd(const QDBusConnection &bus = QDBusConnection::systemBus());

    bool isAvailable() override;
    void PowerOff(const QObject *context, AnswerHandler answered) override;
    void TerminateSession(const QObject *context, AnswerHandler answered) override;

  private:
    QDBusConnection m_bus;
};
