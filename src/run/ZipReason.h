#pragma once

#include <QString>

#include <exception>

struct TZipFault;

// The reasons the ZIP unit and the system give for a failure, worded in the current language from
// their codes and values: the unit's own English texts are for logs, never shown.
class ZipReason
{
  public:
    // The fault, after the entry or file it names when it names one ("dok/a.txt: CRC-32 se ne podudara").
    static QString text(const TZipFault &fault);
    // The reason of a failure met reading or writing an archive: the unit's own, the system's, or
    // running out of memory.
    static QString text(const std::exception &failure);
};
