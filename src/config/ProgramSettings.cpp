#include "config/ProgramSettings.h"
