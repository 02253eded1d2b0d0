#include "platform/FreedesktopFileManager.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusReply>
#include <QDesktopServices>
#include <QFileInfo>
#include <QUrl>

namespace {

const QString serviceName = QStringLiteral("org.freedesktop.FileManager1");

bool fileManagerServiceExists(const QDBusConnection &bus)
{
    if (!bus.isConnected())
        return false;
    QDBusConnectionInterface *busInterface = bus.interface();
    if (!busInterface)
        return false;
    if (busInterface->isServiceRegistered(serviceName))
        return true;
    const QDBusReply<QStringList> activatable = busInterface->activatableServiceNames();
    return activatable.isValid() && activatable.value().contains(serviceName);
}

} // namespace

bool FreedesktopFileManager::ShowItem(const QString &path)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (fileManagerServiceExists(bus)) {
        QDBusMessage call =
            QDBusMessage::createMethodCall(serviceName, QStringLiteral("/org/freedesktop/FileManager1"),
                                           serviceName, QStringLiteral("ShowItems"));
        call << QStringList{QUrl::fromLocalFile(path).toString()} << QString();
        // Waited for with the window live: a service that is listed but cannot start (a file manager
        // uninstalled, its activation broken) answers with an error, and the folder is opened instead.
        const QDBusMessage reply = bus.call(call, QDBus::BlockWithGui, 15000);
        if (reply.type() == QDBusMessage::ReplyMessage)
            return true;
    }
    return QDesktopServices::openUrl(QUrl::fromLocalFile(QFileInfo(path).absolutePath()));
}
