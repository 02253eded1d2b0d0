#include "ModalDriver.h"

#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <memory>

namespace ModalDriver {

void whenModal(std::function<void(QWidget *)> action, const QString &objectName)
{
    auto timer = std::make_shared<QTimer>();
    timer->setInterval(10);
    QObject::connect(
        timer.get(), &QTimer::timeout, [timer, action = std::move(action), objectName]() mutable {
            QWidget *modal = QApplication::activeModalWidget();
            if (!modal || !modal->isVisible() || (!objectName.isEmpty() && modal->objectName() != objectName))
                return;
            timer->stop();
            // The timer must not be destroyed from inside its own signal.
            QTimer::singleShot(0, [timer] {});
            timer.reset();
            action(modal);
        });
    timer->start();
}

} // namespace ModalDriver
