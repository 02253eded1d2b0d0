#pragma once

#include <QObject>
#include <QString>

// A desktop notification that offers the user one action of its own (a button in the notification),
// where the desktop's notifications take actions. The window decides what the action does; this only
// reports that it was chosen.
class ActionNotification : public QObject
{
    Q_OBJECT

  public:
    using QObject::QObject;
    ~ActionNotification() override = default;

    // Whether the desktop shows notifications with actions now.
    virtual bool takesActions() = 0;
    // Shows the notification with the one action; false when it could not be shown (the caller then
    // tells the user another way).
    virtual bool notify(const QString &title, const QString &text, const QString &actionText) = 0;

  signals:
    // The action of the last notification shown was chosen.
    void actionInvoked();
};
