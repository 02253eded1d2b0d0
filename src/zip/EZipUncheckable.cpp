#include "zip/EZipUncheckable.h"

EZipUncheckable::EZipUncheckable(const std::string &message) : EZipException(message) {}
