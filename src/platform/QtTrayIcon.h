#pragma once

#include "platform/TrayIcon.h"

#include <QSystemTrayIcon>

// The notification-area icon through Qt's system tray support.
class QtTrayIcon : public TrayIcon
{
    Q_OBJECT

  public:
    explicit QtTrayIcon(QObject *parent = nullptr);

    bool isAvailable() const override;
    void setIcon(const QIcon &icon) override;
    void setToolTip(const QString &text) override;
    void setContextMenu(QMenu *menu) override;
    void show() override;
    void hide() override;
    void showMessage(const QString &title, const QString &text, BalloonIcon icon, int timeoutMs) override;

  private:
    void activated(QSystemTrayIcon::ActivationReason reason);

    QSystemTrayIcon m_icon;
};
