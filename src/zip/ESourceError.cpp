#include "zip/ESourceError.h"

ESourceError::ESourceError(const std::string &message) : EStreamError(message) {}
