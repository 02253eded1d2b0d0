#pragma once

#include "zip/EStreamError.h"

// A file being archived could not be opened as a regular file, or could not be read to the size it
// had when it was opened. The text names the file and gives the system's reason, e.g.
// "Cannot open /x/a.txt: Permission denied". Failures of the archive itself never take this type.
class ESourceError : public EStreamError
{
  public:
    explicit ESourceError(const std::string &message);
};
