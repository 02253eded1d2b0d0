#include "platform/FreedesktopActionNotification.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusReply>
#include <QVariantMap>

namespace {

const QString service = QStringLiteral("org.freedesktop.Notifications");
const QString path = QStringLiteral("/org/freedesktop/Notifications");
const QString actionKey = QStringLiteral("arkivoda-action");
// Long enough for an answer from a live server, short enough that the window never seems stuck.
constexpr int callTimeoutMs = 2000;

QDBusMessage notificationsCall(const QString &method)
{
    return QDBusMessage::createMethodCall(service, path, service, method);
}

} // namespace

FreedesktopActionNotification::FreedesktopActionNotification(QObject *parent) : ActionNotification(parent)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (bus.isConnected())
        bus.connect(service, path, service, QStringLiteral("ActionInvoked"), this,
                    SLOT(onActionInvoked(uint, QString)));
}

bool FreedesktopActionNotification::takesActions()
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return false;
    const QDBusReply<QStringList> capabilities =
        bus.call(notificationsCall(QStringLiteral("GetCapabilities")), QDBus::Block, callTimeoutMs);
    return capabilities.isValid() && capabilities.value().contains(QStringLiteral("actions"));
}

bool FreedesktopActionNotification::notify(const QString &title, const QString &text,
                                           const QString &actionText)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return false;
    QDBusMessage call = notificationsCall(QStringLiteral("Notify"));
    // app_name, replaces_id, app_icon, summary, body, actions (key, label pairs), hints, timeout (ms)
    call << QStringLiteral("Arkivoda") << uint(0) << QStringLiteral("arkivoda") << title << text
         << QStringList{actionKey, actionText} << QVariantMap{} << 5000;
    const QDBusReply<uint> id = bus.call(call, QDBus::Block, callTimeoutMs);
    if (!id.isValid())
        return false;
    m_lastId = id.value();
    return true;
}

void FreedesktopActionNotification::onActionInvoked(uint id, const QString &key)
{
    if (id == m_lastId && key == actionKey)
        emit actionInvoked();
}
