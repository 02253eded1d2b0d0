#include "ui/ReinitializeForms.h"

#include <QApplication>
#include <QEvent>
#include <QPointer>
#include <QWidget>

void ReinitializeForms()
{
    // Qt also posts the event when the translator changes; sending it here makes the switch complete
    // before the switch handler goes on. A window that a handler closes meanwhile is skipped.
    QList<QPointer<QWidget>> windows;
    for (QWidget *window : QApplication::topLevelWidgets())
        windows << window;
    for (const QPointer<QWidget> &window : windows) {
        if (!window)
            continue;
        QEvent change(QEvent::LanguageChange);
        QCoreApplication::sendEvent(window, &change);
    }
}
