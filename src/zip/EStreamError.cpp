#include "zip/EStreamError.h"

#include <utility>

EStreamError::EStreamError(const std::string &message)
    : std::runtime_error(message), FFault(TZipFault::FromText(message))
{
}

EStreamError::EStreamError(TZipFault fault, const std::string &message)
    : std::runtime_error(message), FFault(std::move(fault))
{
}
