#include "run/Percent.h"

#include <cmath>

int percentOf(qint64 part, qint64 whole)
{
    // long double holds every qint64 exactly, so a run of many terabytes still rounds right.
    const long double exact = static_cast<long double>(part) / static_cast<long double>(whole) * 100.0L;
    return static_cast<int>(std::nearbyint(exact));
}
