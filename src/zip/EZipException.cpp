#include "zip/EZipException.h"

EZipException::EZipException(const std::string &message) : std::runtime_error(message) {}
