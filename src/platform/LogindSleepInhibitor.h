#pragma once

#include "platform/SleepInhibitor.h"

#include <QDBusConnection>
#include <QDBusUnixFileDescriptor>
#include <QObject>
#include <QString>

// Sleep and shutdown held off through a systemd-logind inhibitor lock on the system bus. The lock is
// the file descriptor logind returns: it lasts until the descriptor is closed. A "block" lock is asked
// for first; where polkit does not allow it, a "delay" lock, which at least holds a shutdown or sleep
// back for logind's delay while the archive is written. Without a system bus or logind nothing is held.
class LogindSleepInhibitor : public QObject, public SleepInhibitor
{
    Q_OBJECT

  public:
    explicit LogindSleepInhibitor(const QDBusConnection &bus = QDBusConnection::systemBus());
    ~LogindSleepInhibitor() override;

    void hold(const QString &why) override;
    void release() override;

    // Whether logind has handed over a lock that is held now.
    bool isHeld() const { return m_lock.isValid(); }

  private:
    // Asks logind for a lock in the given mode, "block" or "delay".
    void inhibit(const QString &mode);

    QDBusConnection m_bus;
    QString m_why;
    QDBusUnixFileDescriptor m_lock;
    // Counts the holds, so that an answer arriving after its hold was released is recognised.
    quint64 m_hold = 0;
    bool m_holding = false;
};
