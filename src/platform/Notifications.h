#pragma once

#include "platform/TrayIcon.h"

#include <QList>
#include <QObject>
#include <QString>

// The desktop's notification service. A notification may offer actions (such as opening the archive's
// folder); the service reports the one the user chose by its key. Where there is no service, the
// program shows a tray balloon instead.
class Notifications : public QObject
{
    Q_OBJECT

  public:
    struct Action
    {
        QString key;   // "default" is a click on the notification itself
        QString label; // the button's text
    };

    struct Notification
    {
        QString title;
        QString text;
        TrayIcon::BalloonIcon icon = TrayIcon::BalloonIcon::Information;
        int timeoutMs = 5000;
        QList<Action> actions;
    };

    using QObject::QObject;
    ~Notifications() override = default;

    // Whether the desktop's notification service is there now.
    virtual bool isAvailable() const = 0;
    // Shows the notification through the service.
    virtual void notify(const Notification &notification) = 0;

  signals:
    // The user chose an action of a notification shown here.
    void actionInvoked(const QString &key);
};
