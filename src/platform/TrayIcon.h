#pragma once

#include <QObject>
#include <QString>

class QIcon;
class QMenu;

// The program's icon in the notification area, with its menu and balloon notifications. The window
// decides what a press, a double click or a balloon click means; this only reports them.
class TrayIcon : public QObject
{
    Q_OBJECT

  public:
    enum class BalloonIcon { None, Information, Warning, Error };

    using QObject::QObject;
    ~TrayIcon() override = default;

    // Whether a notification area exists to hold the icon now. Without one, nothing could bring a
    // hidden window back, so the window must not hide itself.
    virtual bool isAvailable() const = 0;
    virtual void setIcon(const QIcon &icon) = 0;
    // The hint shown while the pointer rests on the icon.
    virtual void setToolTip(const QString &text) = 0;
    virtual void setContextMenu(QMenu *menu) = 0;
    virtual void show() = 0;
    virtual void hide() = 0;
    // A balloon notification shown for timeoutMs milliseconds.
    virtual void showMessage(const QString &title, const QString &text, BalloonIcon icon, int timeoutMs) = 0;

  signals:
    // A mouse button was pressed over the icon.
    void mousePressed(Qt::MouseButton button);
    // The icon was double-clicked.
    void doubleClicked();
    // A balloon was clicked.
    void messageClicked();
};
