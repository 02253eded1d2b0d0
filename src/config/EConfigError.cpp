#include "config/EConfigError.h"

EConfigError::EConfigError(const QString &message)
    : std::runtime_error(message.toStdString())
{
}

QString EConfigError::message() const
{
    return QString::fromUtf8(what());
}
