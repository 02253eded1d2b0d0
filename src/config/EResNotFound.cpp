#include "config/EResNotFound.h"

#include <string>

EResNotFound::EResNotFound(const char *windowClass)
    : std::runtime_error("Resource " + std::string(windowClass) + " not found")
{
}
