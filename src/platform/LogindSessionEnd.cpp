#include "platform/LogindSessionEnd.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusReply>
#include <QDBusVariant>

#include <unistd.h>

namespace {

const QString service = QStringLiteral("org.freedesktop.login1");
const QString managerPath = QStringLiteral("/org/freedesktop/login1");
const QString managerInterface = QStringLiteral("org.freedesktop.login1.Manager");

// An interactive request may wait for the user to authorise it; longer than D-Bus's 25 s default.
constexpr int authorisationTimeoutMs = 120000;

QDBusMessage managerCall(const QString &method)
{
    return QDBusMessage::createMethodCall(service, managerPath, managerInterface, method);
}

bool succeeded(const QDBusMessage &reply)
{
    return reply.type() == QDBusMessage::ReplyMessage;
}

// The logind session this process belongs to; empty when it belongs to none.
QString ownSessionId(const QDBusConnection &bus)
{
    QDBusMessage byPid = managerCall(QStringLiteral("GetSessionByPID"));
    byPid << static_cast<quint32>(::getpid());
    const QDBusReply<QDBusObjectPath> path = bus.call(byPid);
    if (path.isValid()) {
        QDBusMessage get = QDBusMessage::createMethodCall(service, path.value().path(),
                                                          QStringLiteral("org.freedesktop.DBus.Properties"),
                                                          QStringLiteral("Get"));
        get << QStringLiteral("org.freedesktop.login1.Session") << QStringLiteral("Id");
        const QDBusReply<QDBusVariant> id = bus.call(get);
        if (id.isValid())
            return id.value().variant().toString();
    }
    // A program started outside the session's process tree still knows its session from pam_systemd.
    return qEnvironmentVariable("XDG_SESSION_ID");
}

} // namespace

bool LogindSessionEnd::isAvailable()
{
    const QDBusConnection bus = QDBusConnection::systemBus();
    if (!bus.isConnected() || !bus.interface())
        return false;
    const QDBusReply<bool> registered = bus.interface()->isServiceRegistered(service);
    return registered.isValid() && registered.value();
}

bool LogindSessionEnd::PowerOff()
{
    QDBusMessage call = managerCall(QStringLiteral("PowerOff"));
    call << true; // interactive: polkit may ask the user to authorise
    return succeeded(QDBusConnection::systemBus().call(call, QDBus::Block, authorisationTimeoutMs));
}

bool LogindSessionEnd::TerminateSession()
{
    const QDBusConnection bus = QDBusConnection::systemBus();
    const QString id = ownSessionId(bus);
    if (id.isEmpty())
        return false;
    QDBusMessage call = managerCall(QStringLiteral("TerminateSession"));
    call << id;
    return succeeded(bus.call(call, QDBus::Block, authorisationTimeoutMs));
}
