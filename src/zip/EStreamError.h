#pragma once

#include <stdexcept>
#include <string>

// A stream that could not read or write the bytes asked of it ("Stream read error", "Stream write error").
class EStreamError : public std::runtime_error
{
  public:
    explicit EStreamError(const std::string &message);
};
