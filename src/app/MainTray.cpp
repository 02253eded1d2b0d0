#include "app/MainTray.h"

#include "app/MainWindowLook.h"

#include <QAction>
#include <QApplication>
#include <QIcon>
#include <QWindow>

MainTray::MainTray(TrayIcon &tray, Notifications &notifications, const QList<QAction *> &items, QAction *exit,
                   QObject *parent)
    : QObject(parent), m_tray(tray), m_notifications(notifications)
{
    TrayPopup.addActions(items);
    TrayPopup.addSeparator();
    TrayPopup.addAction(exit);
    m_tray.setIcon(ProgramIcon());
    m_tray.setContextMenu(&TrayPopup);
    connect(&m_tray, &TrayIcon::mousePressed, this, &MainTray::TrayMouseDown);
    connect(&m_tray, &TrayIcon::doubleClicked, this, &MainTray::TrayDblClick);
    connect(&m_tray, &TrayIcon::messageClicked, this, &MainTray::restoreRequested);
    // Decided as the menu opens, and as the focus moves between windows for a desktop that reads the
    // menu before it says it opens it.
    connect(&TrayPopup, &QMenu::aboutToShow, this, &MainTray::updateWindowItems);
    connect(qApp, &QGuiApplication::focusWindowChanged, this, &MainTray::updateWindowItems);
    connect(&m_notifications, &Notifications::actionInvoked, this, [this](const QString &key) {
        if (key == QStringLiteral("default"))
            emit restoreRequested();
        else
            emit actionChosen(key);
    });
    m_tray.show();
}

void MainTray::setWindowItems(const QList<QAction *> &items)
{
    m_windowItems = items;
    updateWindowItems();
}

void MainTray::updateWindowItems()
{
    const bool modalOpen = QApplication::activeModalWidget() != nullptr;
    for (QAction *item : std::as_const(m_windowItems))
        item->setEnabled(!modalOpen);
}

void MainTray::showBalloon(const QString &title, const QString &text, TrayIcon::BalloonIcon icon,
                           int timeoutMs)
{
    m_balloon = Balloon{title, text, icon, timeoutMs};
    m_tray.showMessage(title, text, icon, timeoutMs);
}

void MainTray::notify(const QString &title, const QString &text, TrayIcon::BalloonIcon icon, int timeoutMs,
                      const QList<Notifications::Action> &actions)
{
    if (!m_notifications.isAvailable()) {
        showBalloon(title, text, icon, timeoutMs);
        return;
    }
    // Message texts break lines with CR LF; a notification wants LF.
    Notifications::Notification notification{
        title, QString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")), icon, timeoutMs, actions};
    // A click on the notification brings the window, as a click on a balloon does.
    notification.actions.prepend({QStringLiteral("default"), QStringLiteral("Arkivoda")});
    m_notifications.notify(notification);
}

void MainTray::setWarning(bool warning)
{
    if (warning == m_warning)
        return;
    m_warning = warning;
    m_tray.setIcon(warning ? ProgramWarningIcon() : ProgramIcon());
}

void MainTray::TrayMouseDown(Qt::MouseButton button)
{
    MFLastButton = button;
}

void MainTray::TrayDblClick()
{
    if (MFLastButton == Qt::LeftButton)
        emit restoreRequested();
}
