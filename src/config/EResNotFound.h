#pragma once

#include <stdexcept>

// A window was to be created while the language module in use has no description for it.
class EResNotFound : public std::runtime_error
{
  public:
    explicit EResNotFound(const char *windowClass);
};
