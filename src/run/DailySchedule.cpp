#include "run/DailySchedule.h"

#include <QTime>

#include <cmath>

namespace {

constexpr int secondsPerDay = 24 * 60 * 60;

QDateTime wholeSecond(const QDateTime &moment)
{
    return moment.addMSecs(-moment.time().msec());
}

// The set time on the day of the given moment. A set time that the clock skips on that day (the
// spring change) falls on the first moment after the gap.
QDateTime setTimeOn(const QDateTime &day, double timerTime)
{
    const QTime set = QTime(0, 0).addSecs(DailySchedule::secondOfDay(timerTime));
    QDateTime due = day;
    due.setTime(set);
    for (int step = 1; !due.isValid() && step <= 4; ++step) {
        due = day;
        due.setTime(set.addSecs(step * 30 * 60));
    }
    return due;
}

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
    // Only the time of day counts: a set time already passed today falls on the following day.
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

QDateTime DailySchedule::lastDue(const QDateTime &now, double timerTime)
{
    const QDateTime today = setTimeOn(now, timerTime);
    return today <= now ? today : setTimeOn(now.addDays(-1), timerTime);
}

QDateTime DailySchedule::missedRun(const QDateTime &lastStart, const QDateTime &now, double timerTime)
{
    if (!lastStart.isValid() || lastStart > now)
        return QDateTime();
    const QDateTime due = lastDue(now, timerTime);
    return lastStart < due ? due : QDateTime();
}

DailySchedule::CatchUp DailySchedule::catchUp(const std::optional<QDateTime> &storedStart,
                                              const QDateTime &now, double timerTime)
{
    constexpr qint64 secondsPerDay = 24 * 60 * 60;
    if (!storedStart)
        return {};
    if (!storedStart->isValid() || now.secsTo(*storedStart) > secondsPerDay)
        return {lastDue(now, timerTime), true};
    return {missedRun(*storedStart, now, timerTime), false};
}

void DailySchedule::restart(const QDateTime &now)
{
    m_previous = wholeSecond(now);
}

void DailySchedule::forget()
{
    m_previous = QDateTime();
}

DailySchedule::Tick DailySchedule::tick(const QDateTime &now, double timerTime)
{
    const QDateTime second = wholeSecond(now);
    // The seconds after the previous tick up to this one; a clock set back makes the span empty.
    const QDateTime after = m_previous.isValid() ? m_previous : second.addSecs(-1);
    m_previous = second;

    Tick tick = at(second.time(), timerTime);
    const QDateTime due = lastDue(second, timerTime);
    tick.start = after < due && due <= second && m_startedFor != due.date();
    if (tick.start) {
        m_startedFor = due.date();
        tick.lateSeconds = static_cast<int>(due.secsTo(second));
    }
    const QDateTime warning = second.addSecs(tick.secondsLeft - 60);
    tick.warn = !tick.start && tick.secondsLeft > 0 && after < warning && warning <= second;
    return tick;
}
