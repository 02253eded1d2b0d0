#pragma once

#include "platform/Notifications.h"

#include <QSet>

#include <optional>

// Notifications through org.freedesktop.Notifications on the session bus. The call does not wait for
// the service; the actions the user chooses come back as its ActionInvoked signal.
class FreedesktopNotifications : public Notifications
{
    Q_OBJECT

  public:
    explicit FreedesktopNotifications(QObject *parent = nullptr);

    bool isAvailable() const override;
    void notify(const Notification &notification) override;

  private slots:
    void ActionInvoked(uint id, const QString &key);
    void NotificationClosed(uint id, uint reason);

  private:
    // Whether the service reads the body as markup, asked once.
    bool bodyIsMarkup();

    QSet<uint> m_shown; // the ids of this program's notifications still open
    std::optional<bool> m_bodyMarkup;
};
