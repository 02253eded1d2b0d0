#include "zip/ZipDateTime.h"

#include <ctime>

namespace {

constexpr std::uint32_t EARLIEST_DOS_DATETIME = 0x00210000; // 1980-01-01 00:00:00
constexpr std::uint32_t LATEST_DOS_DATETIME = 0xFF9FBF7D;   // 2107-12-31 23:59:58

bool IsLeapYear(int year)
{
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(int year, int month)
{
    static constexpr int DAYS[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : DAYS[month - 1];
}

TZipDateTime FromTm(const std::tm &parts, int millisecond)
{
    return TZipDateTime{parts.tm_year + 1900, parts.tm_mon + 1, parts.tm_mday, parts.tm_hour,
                        parts.tm_min,         parts.tm_sec,     millisecond};
}

} // namespace

std::uint32_t DateTimeToWinFileDate(const TZipDateTime &dateTime)
{
    if (dateTime.Year < 1980 || dateTime.Year > 2107)
        return 0;
    const std::uint32_t time = static_cast<std::uint32_t>(dateTime.Second / 2) |
                               (static_cast<std::uint32_t>(dateTime.Minute) << 5) |
                               (static_cast<std::uint32_t>(dateTime.Hour) << 11);
    const std::uint32_t date = static_cast<std::uint32_t>(dateTime.Day) |
                               (static_cast<std::uint32_t>(dateTime.Month) << 5) |
                               (static_cast<std::uint32_t>(dateTime.Year - 1980) << 9);
    return (date << 16) | (time & 0xFFFF);
}

bool WinFileDateToDateTime(std::uint32_t value, TZipDateTime &dateTime)
{
    const int year = static_cast<int>(value >> 25) + 1980;
    const int month = static_cast<int>((value >> 21) & 15);
    const int day = static_cast<int>((value >> 16) & 31);
    const int hour = static_cast<int>((value >> 11) & 31);
    const int minute = static_cast<int>((value >> 5) & 63);
    const int second = static_cast<int>(value & 31) * 2;
    if (month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month))
        return false;
    if (hour > 23 || minute > 59 || second > 59)
        return false;
    dateTime = TZipDateTime{year, month, day, hour, minute, second, 0};
    return true;
}

TZipDateTime LocalDateTimeNow()
{
    std::timespec now{};
    std::timespec_get(&now, TIME_UTC);
    std::tm parts{};
    localtime_r(&now.tv_sec, &parts);
    return FromTm(parts, static_cast<int>(now.tv_nsec / 1000000));
}

bool UnixTimeToLocalDateTime(std::int64_t seconds, TZipDateTime &dateTime)
{
    const std::time_t time = static_cast<std::time_t>(seconds);
    std::tm parts{};
    if (localtime_r(&time, &parts) == nullptr)
        return false;
    dateTime = FromTm(parts, 0);
    return true;
}

std::uint32_t ClampedWinFileDate(const TZipDateTime &dateTime)
{
    if (dateTime.Year < 1980)
        return EARLIEST_DOS_DATETIME;
    if (dateTime.Year > 2107)
        return LATEST_DOS_DATETIME;
    return DateTimeToWinFileDate(dateTime);
}

std::uint32_t ModificationTimeToWinFileDate(std::optional<std::int64_t> unixSeconds)
{
    TZipDateTime local;
    if (!unixSeconds)
        return EARLIEST_DOS_DATETIME;
    // Only times billions of years away fail to convert; they clamp like any other.
    if (!UnixTimeToLocalDateTime(*unixSeconds, local))
        return *unixSeconds < 0 ? EARLIEST_DOS_DATETIME : LATEST_DOS_DATETIME;
    return ClampedWinFileDate(local);
}
