#include "run/DailyRunTimer.h"

#include "config/ProgramSettings.h"
#include "run/BackupAge.h"

#include <QTime>

#include <optional>

DailyRunTimer::DailyRunTimer(const ProgramSettings &settings, std::function<bool()> runInProgress,
                             QObject *parent)
    : QObject(parent), m_settings(settings), m_runInProgress(std::move(runInProgress))
{
    // Precise: a coarse timer may drift by up to 5% of its interval.
    m_timer.setTimerType(Qt::PreciseTimer);
    m_timer.setInterval(1000);
    connect(&m_timer, &QTimer::timeout, this, &DailyRunTimer::tick);
}

void DailyRunTimer::setClock(std::function<QDateTime()> clock)
{
    m_clock = std::move(clock);
    m_schedule.forget();
}

QDateTime DailyRunTimer::now() const
{
    return m_clock();
}

void DailyRunTimer::setRunning(bool running)
{
    if (running) {
        m_schedule.restart(m_clock());
        m_timer.start();
    } else {
        m_timer.stop();
    }
}

void DailyRunTimer::tick()
{
    if (!m_settings.GLOBAL_TimerEnabled || m_runInProgress())
        return;
    refreshAge();
    const DailySchedule::Tick tick = m_schedule.tick(m_clock(), m_settings.GLOBAL_TimerTime);
    emit countdown(tick.timeLeft);
    if (tick.warn)
        emit runSoon();
    // The set time has passed since the previous tick, however long ago that tick was: a tick late by
    // more than its minute of warning announces a missed run. Emitted last, as the run it starts
    // restarts the schedule.
    if (tick.start)
        emit runDue(DueReason::DailyTime,
                    QTime(0, 0).addSecs(DailySchedule::secondOfDay(m_settings.GLOBAL_TimerTime)),
                    tick.lateSeconds >= 60);
}

void DailyRunTimer::checkMissedRun()
{
    if (!m_settings.GLOBAL_TimerEnabled || !m_settings.GLOBAL_TimerCatchUp || m_runInProgress())
        return;
    // Read afresh: the command line may have run the configuration meanwhile.
    const StoredMoment lastStart = ReadStoredMoment(m_settings, RecordedMoment::LastAutomaticStart);
    const DailySchedule::CatchUp catchUp =
        DailySchedule::catchUp(lastStart.text ? std::optional<QDateTime>(lastStart.moment) : std::nullopt,
                               m_clock(), m_settings.GLOBAL_TimerTime);
    if (catchUp.recordUnusable && !m_unusableStartNoted) {
        // Said once: the run that follows records a fresh start, and a refused run would only say it
        // again.
        m_unusableStartNoted = true;
        emit startRecordUnusable(*lastStart.text);
    }
    if (catchUp.missed.isValid())
        emit runDue(DueReason::CatchUp, catchUp.missed.time(), true);
}

void DailyRunTimer::setLastGood(const QDateTime &lastGood)
{
    m_lastGood = lastGood;
    refreshAge();
}

void DailyRunTimer::refreshAge()
{
    const QDateTime now = m_clock();
    const QString age = BackupAge::text(m_lastGood, now);
    const bool overdue = m_settings.GLOBAL_TimerEnabled && BackupAge::overdue(m_lastGood, now);
    emit ageChanged(age, overdue);
    if (overdue && m_overdueToldOn != now.date()) {
        m_overdueToldOn = now.date();
        emit overdueToday(age);
    }
}
