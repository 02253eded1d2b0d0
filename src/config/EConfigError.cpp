#include "config/EConfigError.h"

#include <utility>

EConfigError::EConfigError(Operation operation, QString fileName, const QString &message, QString reason)
    : std::runtime_error(message.toStdString()), m_operation(operation), m_fileName(std::move(fileName)),
      m_reason(std::move(reason))
{
}

QString EConfigError::message() const
{
    return QString::fromUtf8(what());
}
