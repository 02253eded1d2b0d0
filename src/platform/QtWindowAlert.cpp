#include "platform/QtWindowAlert.h"

#include <QApplication>

void QtWindowAlert::FlashWindow(QWidget *window)
{
    // 0: the alert lasts until the window is activated.
    QApplication::alert(window, 0);
}
