#include "platform/LogindSystemResume.h"

#include <QDBusConnection>

LogindSystemResume::LogindSystemResume(QObject *parent) : SystemResume(parent)
{
    QDBusConnection bus = QDBusConnection::systemBus();
    if (bus.isConnected())
        bus.connect(QStringLiteral("org.freedesktop.login1"), QStringLiteral("/org/freedesktop/login1"),
                    QStringLiteral("org.freedesktop.login1.Manager"), QStringLiteral("PrepareForSleep"), this,
                    SLOT(PrepareForSleep(bool)));
}

void LogindSystemResume::PrepareForSleep(bool start)
{
    // true as the system goes to sleep, false once it is back.
    if (!start)
        emit resumed();
}
