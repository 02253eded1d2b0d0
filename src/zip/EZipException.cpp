#include "zip/EZipException.h"

#include <utility>

EZipException::EZipException(const std::string &message)
    : std::runtime_error(message), FFault(TZipFault::FromText(message))
{
}

EZipException::EZipException(TZipFault fault, const std::string &message)
    : std::runtime_error(message), FFault(std::move(fault))
{
}
