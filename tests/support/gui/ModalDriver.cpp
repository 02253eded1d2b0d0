#include "ModalDriver.h"

#include <QApplication>
#include <QTimer>
#include <QWidget>

ModalDriver::ModalDriver(std::function<void(QWidget *)> action, const QString &objectName)
    : m_timer(std::make_unique<QTimer>())
{
    m_timer->setInterval(10);
    QObject::connect(m_timer.get(), &QTimer::timeout, [this, action = std::move(action), objectName] {
        QWidget *modal = QApplication::activeModalWidget();
        if (m_acted || !modal || !modal->isVisible() ||
            (!objectName.isEmpty() && modal->objectName() != objectName))
            return;
        m_acted = true;
        m_timer->stop();
        action(modal);
    });
    m_timer->start();
}

ModalDriver::~ModalDriver() = default;
