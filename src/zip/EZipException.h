#pragma once

#include <stdexcept>
#include <string>

// The exception class of the ZIP unit: a failure with one of the unit's fixed English message texts.
class EZipException : public std::runtime_error
{
  public:
    explicit EZipException(const std::string &message);
};
