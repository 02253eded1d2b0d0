#pragma once

#include "platform/TrayIcon.h"

#include <QList>
#include <QStringList>

// A tray icon that records what the window asks of it; a test sets whether a notification area exists
// and plays the user's presses through the signals.
class FakeTrayIcon : public TrayIcon
{
    Q_OBJECT

  public:
    struct Message
    {
        QString title;
        QString text;
        BalloonIcon icon;
        int timeoutMs;
    };

    bool isAvailable() const override { return available; }
    void setIcon(const QIcon &) override { hasIcon = true; }
    void setToolTip(const QString &text) override
    {
        toolTip = text;
        toolTips.append(text);
    }
    void setContextMenu(QMenu *menu) override { contextMenu = menu; }
    void show() override { shown = true; }
    void hide() override { shown = false; }
    void showMessage(const QString &title, const QString &text, BalloonIcon icon, int timeoutMs) override;

    bool available = false;
    bool hasIcon = false;
    bool shown = false;
    QString toolTip;
    QStringList toolTips; // every hint set, in order
    QMenu *contextMenu = nullptr;
    QList<Message> messages;
};
