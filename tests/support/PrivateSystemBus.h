#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>

// A bus of the test's own (a dbus-daemon started for it) in place of the system bus, optionally with
// a fake systemd-logind on it that logs every call it gets: nothing a test asks for reaches the real
// session manager.
class PrivateSystemBus
{
  public:
    // Starts the bus, and the fake logind with the given options unless withLogind is false.
    explicit PrivateSystemBus(const QStringList &logindOptions = {}, bool withLogind = true);
    ~PrivateSystemBus();
    PrivateSystemBus(const PrivateSystemBus &) = delete;
    PrivateSystemBus &operator=(const PrivateSystemBus &) = delete;

    // Whether the bus (and the fake logind, when asked for) came up.
    bool isUp() const { return m_up; }
    // The bus's address, for QDBusConnection::connectToBus or DBUS_SYSTEM_BUS_ADDRESS.
    QString address() const { return m_address; }
    // The lines the fake logind has logged so far ("ready" left out).
    QStringList log();
    // Waits, serving events, until the fake logind has logged the line; false when it did not in time.
    bool waitForLine(const QString &line, int timeoutMs = 10000);

  private:
    QProcess m_daemon;
    QProcess m_logind;
    QString m_address;
    QStringList m_log;
    bool m_up = false;
};
