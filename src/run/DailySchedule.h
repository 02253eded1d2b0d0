#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>

#include <optional>

class QTime;

// The daily automatic run's timing. A tick shows the countdown and starts the run when the set time
// of day has been crossed since the previous tick, so a tick that comes late (a busy or suspended
// machine, a clock stepped forward) still starts that day's run, and never more than one run a day.
class DailySchedule
{
  public:
    struct Tick
    {
        int secondsLeft = 0; // until the next run, 0 to 86399
        QString timeLeft;    // the same as "hh:nn:ss", for the countdown in the status line
        bool warn = false;   // the point one minute before the run was crossed: the warning balloon
        bool start = false;  // the set time was crossed and today's run has not started: start it
        int lateSeconds = 0; // with start: how long ago the set time passed
    };

    // Watching starts at now: a set time at or before it is not due. Before the first restart (and
    // after forget), a tick covers only its own second.
    void restart(const QDateTime &now);
    void forget();

    // One tick at now for a set time held as a fraction of a day (only its fractional part counts).
    // Milliseconds are dropped.
    Tick tick(const QDateTime &now, double timerTime);

    // The countdown alone at a time of day, without starting anything.
    static Tick at(const QTime &now, double timerTime);

    // The latest moment at or before now at which the daily run was due: today's set time when it has
    // passed, else yesterday's.
    static QDateTime lastDue(const QDateTime &now, double timerTime);

    // The run that was due and has not started since lastStart: the moment it was due, or an invalid
    // date-time when none is missed. Nothing is missed without a recorded start, nor when the
    // recorded start lies ahead of now (the clock was set back).
    static QDateTime missedRun(const QDateTime &lastStart, const QDateTime &now, double timerTime);

    // What the catch-up makes of the stored last start.
    struct CatchUp
    {
        QDateTime missed;            // the run to start late, or invalid when none is missed
        bool recordUnusable = false; // a start is stored, but it cannot be read or lies too far ahead
    };
    // missedRun for the stored last start: nothing when none is stored (nothing is missed), an invalid
    // date-time when the stored value cannot be read. A value that cannot be read, or a start more
    // than a day ahead of now (further than a clock set back explains), tells nothing about the last
    // start: it is set aside, and the run last due counts as missed.
    static CatchUp catchUp(const std::optional<QDateTime> &storedStart, const QDateTime &now,
                           double timerTime);

    // Whole seconds since midnight of a time of day held as a fraction of a day.
    static int secondOfDay(double dayFraction);

  private:
    QDateTime m_previous; // the whole second of the previous tick, or of the restart
    QDate m_startedFor;   // the day whose run this schedule started last
};
