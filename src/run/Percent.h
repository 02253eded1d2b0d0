#pragma once

#include <QtGlobal>

// Whole percent of part in whole, halves going to the even neighbour; whole must be above 0. A part
// larger than the whole (a file that grew while it was read) gives more than 100.
int percentOf(qint64 part, qint64 whole);
