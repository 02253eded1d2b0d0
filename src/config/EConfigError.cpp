#include "config/EConfigError.h"

#include <utility>

EConfigError::EConfigError(const QString &message, QString reason)
    : std::runtime_error(message.toStdString()), m_reason(std::move(reason))
{
}

QString EConfigError::message() const
{
    return QString::fromUtf8(what());
}
