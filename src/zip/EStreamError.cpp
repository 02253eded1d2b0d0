#include "zip/EStreamError.h"

EStreamError::EStreamError(const std::string &message) : std::runtime_error(message) {}
