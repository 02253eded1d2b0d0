#pragma once

#include "zip/EZipException.h"

// Data that this unit cannot read back although nothing shows it damaged: the check is left undone
// and said so, never called damage.
class EZipUncheckable : public EZipException
{
  public:
    explicit EZipUncheckable(const std::string &message);
};
