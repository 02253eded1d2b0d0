#pragma once

#include <cstdint>
#include <optional>

// A local calendar date and time of day, as the MS-DOS date-time of ZIP entries is built from it.
struct TZipDateTime
{
    int Year = 0;
    int Month = 0;
    int Day = 0;
    int Hour = 0;
    int Minute = 0;
    int Second = 0;
    int Millisecond = 0;

    bool operator==(const TZipDateTime &other) const = default;
};

// The MS-DOS date-time (date in the high 16 bits) of a local date-time; 0 when the year is outside
// 1980..2107.
std::uint32_t DateTimeToWinFileDate(const TZipDateTime &dateTime);

// Unpacks an MS-DOS date-time; false (dateTime untouched) when it is not a valid date and time of day.
bool WinFileDateToDateTime(std::uint32_t value, TZipDateTime &dateTime);

// The current local date-time.
TZipDateTime LocalDateTimeNow();

// A point in time (seconds since 1970-01-01 UTC) as local date-time; false when it cannot be converted.
bool UnixTimeToLocalDateTime(std::int64_t seconds, TZipDateTime &dateTime);

// The MS-DOS date-time of a local date-time, clamped to the range the format holds:
// earlier times give 1980-01-01 00:00:00, later ones 2107-12-31 23:59:58.
std::uint32_t ClampedWinFileDate(const TZipDateTime &dateTime);

// The MS-DOS date-time an entry gets from a file's modification time (seconds since 1970-01-01 UTC,
// converted to local time): clamped into 1980..2107, and 1980-01-01 00:00:00 when the time is unknown.
std::uint32_t ModificationTimeToWinFileDate(std::optional<std::int64_t> unixSeconds);
