#pragma once

#include "run/DailySchedule.h"

#include <QDate>
#include <QDateTime>
#include <QObject>
#include <QTimer>

#include <functional>

struct ProgramSettings;
class QTime;

// The daily automatic run as it is watched while the program runs: a one-second timer ticks the
// schedule, a catch-up looks for a run missed while the program was not running or the computer
// slept, and the age of the last good backup is kept up to date. It reads the schedule from the
// settings each time and tells what it finds by signals; whoever shows it starts the run.
class DailyRunTimer : public QObject
{
    Q_OBJECT

  public:
    enum class DueReason {
        DailyTime, // the set time of day was crossed while the timer ran
        CatchUp,   // the run last due never started
    };
    Q_ENUM(DueReason)

    // runInProgress: whether a run is going on now; the schedule then neither counts down nor
    // starts anything.
    DailyRunTimer(const ProgramSettings &settings, std::function<bool()> runInProgress,
                  QObject *parent = nullptr);

    // The local clock the schedule reads; a test sets its own. The next tick then covers only its own
    // second.
    void setClock(std::function<QDateTime()> clock);
    QDateTime now() const;

    // Starts or stops the one-second ticks. A set time that passed while they were stopped (a run in
    // progress) is not made up for by the next tick.
    void setRunning(bool running);
    bool isRunning() const { return m_timer.isActive(); }
    const QTimer &timer() const { return m_timer; }

    // One tick: the age, the countdown, the warning a minute before, and the run once the set time has
    // passed since the previous tick. Nothing while the schedule is off or a run is in progress.
    void tick();
    // With the schedule and its catch-up on and no run in progress: the run due since the last
    // automatic start on record, when it never started.
    void checkMissedRun();

    // The last good backup, or an invalid date-time without one; the age follows it.
    void setLastGood(const QDateTime &lastGood);
    // Tells the age of the last good backup as it is now.
    void refreshAge();

  signals:
    // The time left until the next daily run, as "hh:mm:ss".
    void countdown(const QString &timeLeft);
    // The daily run starts in one minute.
    void runSoon();
    // The daily run is due now. dueAt: the set time it was due at; late: it starts long enough after
    // that time (always so for a catch-up) that the user should be told.
    void runDue(DailyRunTimer::DueReason why, const QTime &dueAt, bool late);
    // The stored last automatic start cannot be used and was set aside; said once.
    void startRecordUnusable(const QString &stored);
    // The age of the last good backup in words, and whether backups are overdue (the schedule on and no
    // good backup for two days).
    void ageChanged(const QString &age, bool overdue);
    // Backups are overdue: said once a day.
    void overdueToday(const QString &age);

  private:
    const ProgramSettings &m_settings;
    std::function<bool()> m_runInProgress;
    std::function<QDateTime()> m_clock = &QDateTime::currentDateTime;
    QTimer m_timer;
    DailySchedule m_schedule;
    QDateTime m_lastGood;
    QDate m_overdueToldOn;             // the day overdueToday was last emitted
    bool m_unusableStartNoted = false; // startRecordUnusable was emitted
};
