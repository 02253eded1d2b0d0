#pragma once

#include <QString>

#include <functional>

class QWidget;

// Acts on modal windows as a user would, from inside their modal loops: the action runs once the
// next modal window (of the given object name, when one is given) is up.
namespace ModalDriver {

void whenModal(std::function<void(QWidget *)> action, const QString &objectName = QString());

} // namespace ModalDriver
