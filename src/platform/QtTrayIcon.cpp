#include "platform/QtTrayIcon.h"

#include <QMenu>

QtTrayIcon::QtTrayIcon(QObject *parent) : TrayIcon(parent)
{
    connect(&m_icon, &QSystemTrayIcon::activated, this, &QtTrayIcon::activated);
    connect(&m_icon, &QSystemTrayIcon::messageClicked, this, &TrayIcon::messageClicked);
}

bool QtTrayIcon::isAvailable() const
{
    return QSystemTrayIcon::isSystemTrayAvailable();
}

void QtTrayIcon::setIcon(const QIcon &icon)
{
    m_icon.setIcon(icon);
}

void QtTrayIcon::setToolTip(const QString &text)
{
    m_icon.setToolTip(text);
}

void QtTrayIcon::setContextMenu(QMenu *menu)
{
    m_icon.setContextMenu(menu);
}

void QtTrayIcon::show()
{
    m_icon.show();
}

void QtTrayIcon::hide()
{
    m_icon.hide();
}

void QtTrayIcon::showMessage(const QString &title, const QString &text, BalloonIcon icon, int timeoutMs)
{
    QSystemTrayIcon::MessageIcon kind = QSystemTrayIcon::NoIcon;
    switch (icon) {
    case BalloonIcon::None:
        break;
    case BalloonIcon::Information:
        kind = QSystemTrayIcon::Information;
        break;
    case BalloonIcon::Warning:
        kind = QSystemTrayIcon::Warning;
        break;
    case BalloonIcon::Error:
        kind = QSystemTrayIcon::Critical;
        break;
    }
    m_icon.showMessage(title, text, kind, timeoutMs);
}

void QtTrayIcon::activated(QSystemTrayIcon::ActivationReason reason)
{
    // Qt reports a press of each button as its own reason, and a double click only for the left one.
    switch (reason) {
    case QSystemTrayIcon::Trigger:
        emit mousePressed(Qt::LeftButton);
        break;
    case QSystemTrayIcon::Context:
        emit mousePressed(Qt::RightButton);
        break;
    case QSystemTrayIcon::MiddleClick:
        emit mousePressed(Qt::MiddleButton);
        break;
    case QSystemTrayIcon::DoubleClick:
        emit doubleClicked();
        break;
    case QSystemTrayIcon::Unknown:
        break;
    }
}
