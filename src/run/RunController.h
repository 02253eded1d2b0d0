#pragma once

#include "run/RunState.h"
#include "run/RunView.h"

#include <QObject>
#include <QTimer>

#include <functional>
#include <memory>

struct ProgramSettings;
class TThreadArhiviranje;

// The interface thread's side of a backup run: owns the run state, starts the archiving worker and
// waits for it while events keep flowing, executes the worker's hand-overs, runs the elapsed-time
// timer, and carries out pause, stop and forced stop.
class RunController : public QObject
{
    Q_OBJECT

  public:
    RunController(const ProgramSettings &settings, RunView &view, QObject *parent = nullptr);
    ~RunController() override;

    RunState &state() { return m_state; }
    const RunState &state() const { return m_state; }
    const ProgramSettings &settings() const { return m_settings; }
    RunView &view() { return m_view; }

    // How long the worker waits before it reads the list (2000 ms unless a test shortens it).
    void setStartDelay(int milliseconds) { m_startDelay = milliseconds; }
    int startDelay() const { return m_startDelay; }

    // Resets the run's counters and lists for a new run into the given archive (done before the worker
    // starts).
    void prepareRun(const QString &archiveFile);
    // Starts the worker and returns when it has signalled its completion; events are served meanwhile.
    void Arhiviranje();

    // The worker's hand-overs, numbered in the order a run makes them; ProgressDisplay is the
    // progress event's.
    enum class HandOver {
        ProgressDisplay = 0,
        CopySettings = 1,
        StatusCollecting = 2,
        MissingEntry = 3,
        AddFileSize = 4,
        FileCount = 5,
        TimerRestart = 6,
        CopyStopFlag = 7,
        FileBarReset = 8,
        FileOpened = 9,
        FileStatus = 10,
        FileAdded = 11,
        FileFailed = 12,
        TimerStop = 13,
        ArchiveError = 14,
    };
    // Runs a procedure on the interface thread and waits until it has run. Worker thread only.
    void handOver(HandOver which, const std::function<void()> &procedure);
    // The worker's hook that holds its compressor threads while the pause box is open. Set and cleared
    // by the worker outside its hand-overs; called only inside one, so the two never overlap.
    void setCompressionPauseHook(std::function<void(bool)> hook) { m_compressionPauseHook = std::move(hook); }
    // Lets a test watch every hand-over: called on the interface thread just before its procedure.
    void setHandOverObserver(std::function<void(HandOver)> observer)
    {
        m_handOverObserver = std::move(observer);
    }
    // Signals the end of the run to the waiting interface thread. Called exactly once per run.
    void signalCompletion();

    // The archive writer's progress event, on the worker thread: hands over the progress display
    // and carries out a requested forced stop by throwing ForcedStop after signalling completion.
    void OnProgress(qint64 position);

    // One tick of the elapsed-time timer.
    void TimerTimer();
    // Restarts the elapsed-time timer so that its first tick comes one second from now.
    void restartTimer();
    // Stops the elapsed-time timer.
    void stopTimer();
    bool timerActive() const { return m_timer.isActive(); }

    // The pause button: the run pauses at its next progress report.
    void BTN_PauseClick();
    // The stop button: the current file is finished and the archive closed properly.
    void BTN_CancelClick();
    // The confirmed forced stop: the worker ends at its next progress report, leaving the archive as it is.
    void forceStop();

    // Waits until the last worker has ended (after a forced stop it may still be unwinding).
    void waitForWorker();
    // Whole percent of part in whole, halves going to the even neighbour.
    static int percentOf(qint64 part, qint64 whole);

    // The title shown while a run reports progress.
    QString runTitle(int totalPercent) const;

    // Thrown out of the archive writer's progress event to end the worker after a forced stop.
    struct ForcedStop
    {
    };

  signals:
    // The worker's completion event, delivered on the interface thread.
    void Evnt();

  private:
    void progressDisplay(qint64 position);

    const ProgramSettings &m_settings;
    RunView &m_view;
    RunState m_state;
    QTimer m_timer;
    int m_startDelay = 2000;
    std::unique_ptr<TThreadArhiviranje> m_worker;
    std::function<void(HandOver)> m_handOverObserver;
    std::function<void(bool)> m_compressionPauseHook;
};
