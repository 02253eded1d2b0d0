#include "app/MainTray.h"

#include "app/MainWindowLook.h"

#include <QIcon>

MainTray::MainTray(TrayIcon &tray, const QList<QAction *> &items, QAction *exit, QObject *parent)
    : QObject(parent), m_tray(tray)
{
    TrayPopup.addActions(items);
    TrayPopup.addSeparator();
    TrayPopup.addAction(exit);
    m_tray.setIcon(ProgramIcon());
    m_tray.setContextMenu(&TrayPopup);
    connect(&m_tray, &TrayIcon::mousePressed, this, &MainTray::TrayMouseDown);
    connect(&m_tray, &TrayIcon::doubleClicked, this, &MainTray::TrayDblClick);
    connect(&m_tray, &TrayIcon::messageClicked, this, &MainTray::restoreRequested);
    m_tray.show();
}

void MainTray::showBalloon(const QString &title, const QString &text, TrayIcon::BalloonIcon icon,
                           int timeoutMs)
{
    m_balloon = Balloon{title, text, icon, timeoutMs};
    m_tray.showMessage(title, text, icon, timeoutMs);
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
