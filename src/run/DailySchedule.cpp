#include "run/DailySchedule.h"

#include <QTime>

#include <cmath>

namespace {

constexpr int secondsPerDay = 24 * 60 * 60;

} // namespace

int DailySchedule::secondOfDay(double dayFraction)
{
    const double fraction = dayFraction - std::floor(dayFraction);
    // Rounded to the millisecond first, as a stored 08:00:00 is 0.33333... of a day and must not
    // become 07:59:59; the milliseconds are then dropped.
    const auto milliseconds = static_cast<qint64>(std::llround(fraction * secondsPerDay * 1000.0));
    return static_cast<int>((milliseconds / 1000) % secondsPerDay);
}

DailySchedule::Tick DailySchedule::at(const QTime &now, double timerTime)
{
    // Both times stand on one reference day (1 January 2017, which has no clock change), so only
    // the time of day counts: a set time already passed today falls on the following day.
    const int nowSecond = now.hour() * 3600 + now.minute() * 60 + now.second();
    const int setSecond = secondOfDay(timerTime);
    const int next = setSecond >= nowSecond ? setSecond : setSecond + secondsPerDay;

    Tick tick;
    tick.secondsLeft = next - nowSecond;
    tick.timeLeft = QTime(0, 0).addSecs(tick.secondsLeft).toString(QStringLiteral("hh:mm:ss"));
    tick.warn = tick.secondsLeft == 60;
    tick.start = nowSecond == setSecond;
    return tick;
}
