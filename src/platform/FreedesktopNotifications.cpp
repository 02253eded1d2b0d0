#include "platform/FreedesktopNotifications.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusReply>
#include <QVariantMap>

namespace {

const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");
const QString kInterface = QStringLiteral("org.freedesktop.Notifications");

// Urgency as the freedesktop notification service defines it: 1 normal, 2 critical (stays until dismissed).
uchar urgencyOf(TrayIcon::BalloonIcon icon)
{
    return icon == TrayIcon::BalloonIcon::Error ? 2 : 1;
}

} // namespace

FreedesktopNotifications::FreedesktopNotifications(QObject *parent) : Notifications(parent)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return;
    bus.connect(kService, kPath, kInterface, QStringLiteral("ActionInvoked"), this,
                SLOT(ActionInvoked(uint, QString)));
    bus.connect(kService, kPath, kInterface, QStringLiteral("NotificationClosed"), this,
                SLOT(NotificationClosed(uint, uint)));
}

bool FreedesktopNotifications::isAvailable() const
{
    const QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected() || !bus.interface())
        return false;
    if (bus.interface()->isServiceRegistered(kService))
        return true;
    // A service the bus starts on the first call counts as there.
    const QDBusReply<QStringList> activatable = bus.interface()->call(QStringLiteral("ListActivatableNames"));
    return activatable.isValid() && activatable.value().contains(kService);
}

bool FreedesktopNotifications::bodyIsMarkup()
{
    if (!m_bodyMarkup) {
        const QDBusMessage reply = QDBusConnection::sessionBus().call(
            QDBusMessage::createMethodCall(kService, kPath, kInterface, QStringLiteral("GetCapabilities")),
            QDBus::Block, 2000);
        m_bodyMarkup = reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty() &&
                       reply.arguments().first().toStringList().contains(QStringLiteral("body-markup"));
    }
    return *m_bodyMarkup;
}

void FreedesktopNotifications::notify(const Notification &notification)
{
    QStringList actions;
    for (const Action &action : notification.actions)
        actions << action.key << action.label;
    QVariantMap hints;
    hints.insert(QStringLiteral("urgency"), QVariant::fromValue(urgencyOf(notification.icon)));
    hints.insert(QStringLiteral("desktop-entry"), QStringLiteral("arkivoda"));
    // A path holding "&" or "<" must not be read as markup.
    const QString body = bodyIsMarkup() ? notification.text.toHtmlEscaped() : notification.text;

    QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kInterface, QStringLiteral("Notify"));
    call << QStringLiteral("Arkivoda") << uint(0) << QStringLiteral("arkivoda") << notification.title << body
         << actions << hints << notification.timeoutMs;
    auto *watcher = new QDBusPendingCallWatcher(QDBusConnection::sessionBus().asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher *finished) {
        const QDBusPendingReply<uint> reply = *finished;
        if (!reply.isError())
            m_shown.insert(reply.value());
        finished->deleteLater();
    });
}

void FreedesktopNotifications::ActionInvoked(uint id, const QString &key)
{
    // The signal goes to every client of the service: only this program's notifications count.
    if (m_shown.contains(id))
        emit actionInvoked(key);
}

void FreedesktopNotifications::NotificationClosed(uint id, uint)
{
    m_shown.remove(id);
}
