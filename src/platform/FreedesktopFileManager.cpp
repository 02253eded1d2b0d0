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

void FreedesktopFileManager::ShowItem(const QString &path)
{
    const QDBusConnection bus = QDBusConnection::sessionBus();
    if (fileManagerServiceExists(bus)) {
        QDBusMessage call =
            QDBusMessage::createMethodCall(serviceName, QStringLiteral("/org/freedesktop/FileManager1"),
                                           serviceName, QStringLiteral("ShowItems"));
        call << QStringList{QUrl::fromLocalFile(path).toString()} << QString();
        // The answer is not waited for: whether the file manager came up is not reported anyway.
        bus.call(call, QDBus::NoBlock);
        return;
    }
    QDesktopServices::openUrl(QUrl::fromLocalFile(QFileInfo(path).absolutePath()));
}
