#pragma once

#include "platform/Notifications.h"
#include "platform/TrayIcon.h"

#include <QMenu>
#include <QObject>
#include <QString>

class QAction;

// The program's tray icon as the main window uses it: the icon with its menu (the window's items, exit), the
// balloons, and a left double click or a click on a balloon asking for the window.
class MainTray : public QObject
{
    Q_OBJECT

  public:
    // A tray balloon: the defaults until a part of the program shows one with its own values.
    struct Balloon
    {
        QString title = QStringLiteral("Arkivoda");
        QString text = QStringLiteral("Arkivoda");
        TrayIcon::BalloonIcon icon = TrayIcon::BalloonIcon::None;
        int timeoutMs = 3000;
    };

    // Sets the icon up with its menu (the items, a separator, exit) and shows it.
    MainTray(TrayIcon &tray, Notifications &notifications, const QList<QAction *> &items, QAction *exit,
             QObject *parent = nullptr);

    QMenu &popup() { return TrayPopup; }
    // Items that open a window of their own: they are off while a modal window is open, which would
    // block the new window behind it.
    void setWindowItems(const QList<QAction *> &items);
    void showBalloon(const QString &title, const QString &text, TrayIcon::BalloonIcon icon, int timeoutMs);
    // A notification through the desktop's service when it runs, else a balloon. A click on it asks for
    // the window; the other actions come back through actionChosen.
    void notify(const QString &title, const QString &text, TrayIcon::BalloonIcon icon, int timeoutMs,
                const QList<Notifications::Action> &actions = {});
    // The icon warns that backups are overdue, or shows the program as usual.
    void setWarning(bool warning);
    bool warning() const { return m_warning; }
    // The last balloon shown.
    const Balloon &balloon() const { return m_balloon; }

  signals:
    // The user asks for the window: a left double click on the icon, or a click on a balloon.
    void restoreRequested();
    // The user chose an action of a notification other than the click on it.
    void actionChosen(const QString &key);

  private:
    void TrayMouseDown(Qt::MouseButton button);
    void TrayDblClick();
    void updateWindowItems();

    TrayIcon &m_tray;
    Notifications &m_notifications;
    QMenu TrayPopup;
    QList<QAction *> m_windowItems;
    Balloon m_balloon;
    Qt::MouseButton MFLastButton = Qt::LeftButton;
    bool m_warning = false;
};
