#pragma once

#include <QString>

#include <functional>
#include <memory>

class QTimer;
class QWidget;

// Acts on a modal window as a user would, from inside its modal loop: the action runs once, when the
// next modal window (of the given object name, when one is given) is up. Waiting ends when the
// returned watch is destroyed, so an action never reaches a later test's window.
class ModalDriver
{
  public:
    ModalDriver(std::function<void(QWidget *)> action, const QString &objectName = QString());
    ~ModalDriver();
    ModalDriver(const ModalDriver &) = delete;
    ModalDriver &operator=(const ModalDriver &) = delete;

    // Whether the action has run.
    bool acted() const { return m_acted; }

  private:
    std::unique_ptr<QTimer> m_timer;
    bool m_acted = false;
};
