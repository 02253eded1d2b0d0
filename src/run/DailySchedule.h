#pragma once

#include <QString>

class QTime;

// The daily automatic run's arithmetic: what one tick of the schedule shows and does, worked out from
// the time of day and the set time alone, so the schedule keeps no state between ticks.
class DailySchedule
{
  public:
    struct Tick
    {
        int secondsLeft = 0; // until the next run, 0 to 86399
        QString timeLeft;    // the same as "hh:nn:ss", for the countdown in the status line
        bool warn = false;   // exactly one minute before the run: the warning balloon
        bool start = false;  // the set second itself: the run starts
    };

    // One tick at the given time of day for a set time held as a fraction of a day (only its
    // fractional part counts). Milliseconds of both are dropped.
    static Tick at(const QTime &now, double timerTime);

    // Whole seconds since midnight of a time of day held as a fraction of a day.
    static int secondOfDay(double dayFraction);
};
