#pragma once

#include "zip/TZipFault.h"

#include <stdexcept>
#include <string>

// The exception class of the ZIP unit: a failure with one of the unit's fixed English message texts,
// and the code and values that text stands for.
class EZipException : public std::runtime_error
{
  public:
    // A failure with one of the unit's fixed texts; its code is the one the text stands for.
    explicit EZipException(const std::string &message);
    // A failure whose code and values are known already (one passed on with the entry it met).
    EZipException(TZipFault fault, const std::string &message);

    // What went wrong, for a front end to word.
    const TZipFault &Fault() const { return FFault; }

  private:
    TZipFault FFault;
};
