#pragma once

#include "platform/ActionNotification.h"

// Notifications through org.freedesktop.Notifications on the session bus, offered only where the
// notification server says it shows actions ("actions" among its capabilities).
class FreedesktopActionNotification : public ActionNotification
{
    Q_OBJECT

  public:
    explicit FreedesktopActionNotification(QObject *parent = nullptr);

    bool takesActions() override;
    bool notify(const QString &title, const QString &text, const QString &actionText) override;

  private slots:
    void onActionInvoked(uint id, const QString &key);

  private:
    uint m_lastId = 0;
};
