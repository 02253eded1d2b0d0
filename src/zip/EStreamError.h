#pragma once

#include "zip/TZipFault.h"

#include <stdexcept>
#include <string>

// A stream that could not read or write the bytes asked of it ("Stream read error", "Stream write error").
class EStreamError : public std::runtime_error
{
  public:
    explicit EStreamError(const std::string &message);
    // A failure whose code and values are known already (a system failure with its errno).
    EStreamError(TZipFault fault, const std::string &message);

    // What went wrong, for a front end to word.
    const TZipFault &Fault() const { return FFault; }

  private:
    TZipFault FFault;
};
