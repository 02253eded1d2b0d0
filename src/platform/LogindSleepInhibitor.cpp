#include "platform/LogindSleepInhibitor.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusReply>

namespace {

// logind answers at once; a bus that does not answer within this must not hold the run's start up
// for long either, and the call is asynchronous anyway.
constexpr int inhibitTimeoutMs = 10000;

} // namespace

LogindSleepInhibitor::LogindSleepInhibitor(const QDBusConnection &bus) : m_bus(bus) {}

LogindSleepInhibitor::~LogindSleepInhibitor()
{
    release();
}

void LogindSleepInhibitor::hold(const QString &why)
{
    release();
    if (!m_bus.isConnected())
        return;
    m_holding = true;
    m_why = why;
    inhibit(QStringLiteral("block"));
}

void LogindSleepInhibitor::release()
{
    m_holding = false;
    ++m_hold;
    // The last copy of the descriptor closes it, and logind drops the lock.
    m_lock = QDBusUnixFileDescriptor();
}

void LogindSleepInhibitor::inhibit(const QString &mode)
{
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.login1"), QStringLiteral("/org/freedesktop/login1"),
        QStringLiteral("org.freedesktop.login1.Manager"), QStringLiteral("Inhibit"));
    call << QStringLiteral("sleep:shutdown") << QStringLiteral("Arkivoda") << m_why << mode;
    auto *watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call, inhibitTimeoutMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, watcher, mode, hold = m_hold] {
        watcher->deleteLater();
        // Taken too late: the hold was released meanwhile, and the descriptor closes with the reply.
        if (!m_holding || hold != m_hold)
            return;
        const QDBusReply<QDBusUnixFileDescriptor> reply(watcher->reply());
        if (reply.isValid()) {
            m_lock = reply.value();
            return;
        }
        // polkit allows a "block" lock to fewer callers than a "delay" lock.
        if (mode == QLatin1String("block") && reply.error().type() != QDBusError::ServiceUnknown)
            inhibit(QStringLiteral("delay"));
    });
}
