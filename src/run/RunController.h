#pragma once

#include "run/RunEvents.h"
#include "run/RunRequest.h"
#include "run/RunState.h"
#include "run/RunStatus.h"
#include "run/RunView.h"

#include <QObject>
#include <QTimer>

#include <atomic>
#include <functional>
#include <memory>

class HandOverChannel;
class TThreadArhiviranje;

// The one way a front end runs a backup. On the interface thread it owns the run state, starts the
// archiving worker and serves events until the worker completes, carries out the worker's hand-overs
// in their order, runs the elapsed-time timer, and takes pause, stop and forced stop. What the run
// shows goes to the front end's RunView.
class RunController : public QObject, private RunEvents
{
    Q_OBJECT

  public:
    explicit RunController(RunView &view, QObject *parent = nullptr);
    ~RunController() override;

    // The state of the current or last run.
    const RunState &state() const { return m_state; }
    // The end-of-run fields are the front end's to set after the attempt; nothing else is changed here.
    RunState &state() { return m_state; }

    // Marks a run attempt as begun; false when one is already in progress. The attempt ends with
    // endAttempt, whether a run took place or the attempt was refused.
    bool beginAttempt();
    void endAttempt();
    // Whether a run attempt is in progress: from beginAttempt to endAttempt, the checks, dialogs and
    // summary of the attempt included. The one answer every front end asks.
    bool inProgress() const { return m_state.GLOBAL_ArhiviranjeUTijeku; }

    // Runs one backup into request.arhiva_file: resets the run state, starts the worker and returns
    // when the run has ended. Events are served meanwhile, so the front end stays live.
    void run(const RunRequest &request);

    // Waits until the last run's worker has ended (after a forced stop it may still be unwinding).
    void waitForWorker();

    // Asks the run to pause at its next progress report (the pause button).
    void requestPause();
    // Asks the run to stop after the current file, with the archive closed properly (the stop button).
    void requestStop();
    // The confirmed forced stop: the worker ends at its next progress report, leaving the archive as
    // it stands.
    void forceStop();

    // Whether the elapsed-time timer runs.
    bool timerActive() const { return m_elapsedTimer.isActive(); }

    using HandOver = RunEvents::HandOver;
    // Lets a test watch every hand-over: called on the interface thread just before its procedure.
    void setHandOverObserver(std::function<void(HandOver)> observer)
    {
        m_handOverObserver = std::move(observer);
    }
    // How often the last run's worker waited for the interface thread.
    int blockingWaits() const;

    // The title shown while a run reports progress.
    QString runTitle(int totalPercent) const;

    // The request of the run in progress; the worker is given its own copy when it is made.
    const RunRequest &request() const { return m_request; }

  signals:
    // The run has ended: the worker completed or was stopped, delivered on the interface thread.
    void runFinished();

  private:
    // The worker's events, run on the interface thread in the worker's order.
    void onHandOver(HandOver which) override;
    void onCollecting() override;
    void onMissingEntry(const QString &path) override { recordMissing(path); }
    // A source, or a folder below a listed one, that could not be read: missing, with the system's reason.
    void onUnreadable(const QString &path, int error) override;
    // A source left out because its name in the archive would be too long: missing, with the reason.
    void onEntryNameTooLong(const QString &path) override;
    void onFileSize(qint64 bytes) override;
    void onFileCount(qint64 count) override;
    void onLeftOut(qint64 files, qint64 folders) override
    {
        m_state.leftOutFiles = files;
        m_state.leftOutFolders = folders;
    }
    void onTimerRestart() override { restartTimer(); }
    void onFileBarReset() override { setFileBar(0); }
    void onFileOpened(qint64 size) override;
    // A file's archiving begins: counted, and shown unless the stop's text is up.
    void onFileStarted(const QString &path) override;
    void onFileAdded() override;
    void onFileFailed(const QString &path, int error) override { onUnreadable(path, error); }
    void onProgress(qint64 position, bool pausing) override { progressDisplay(position, pausing); }
    void onTimerStop() override { stopTimer(); }
    void onArchiveError(const QString &cause, const QString &reason) override
    {
        reportArchiveError(cause, reason);
    }
    void onArchiveClosed() override { m_state.archiveClosed = true; }
    void onArchiveNamed() override;
    // The verification's progress in whole percent: the status line and the total bar.
    void onVerifyProgress(int percent) override;
    void onVerified(RunState::Verification result, const QString &fault, qint64 ms) override;
    void onCompletion(bool forced) override { finishRun(forced); }

    // What the view shows of the run; handed to it at most about 30 times a second.
    struct Display
    {
        RunStatus status;
        int filePercent = 0;
        int totalPercent = 0;
        QString title;
        bool operator==(const Display &) const = default;
    };

    void prepareRun(const RunRequest &request);
    // Whether the worker of the current run is still being served: from run() until its completion.
    bool workerRunning() const;
    // The one writer of each request flag: the run state the front end reads, and the channel's mirror
    // the worker reads, always together.
    void setRequest(bool RunState::*flag, std::atomic<bool> HandOverChannel::*mirror, bool value);
    void drainHandOvers();
    void finishRun(bool forced);
    void abandonWorker();
    void progressDisplay(qint64 position, bool pausing);
    void setStatus(const RunStatus &status);
    void setFileBar(int percent);
    void repaint();
    // One second of the run's elapsed time, counted unless the run is paused.
    void countElapsedSecond();
    void restartTimer();
    void stopTimer();
    void recordMissing(const QString &path);
    void reportArchiveError(const QString &cause, const QString &reason);

    RunView &m_view;
    RunState m_state;
    RunRequest m_request;
    QTimer m_elapsedTimer;
    QTimer m_drainTimer;
    QTimer m_forcedStopDeadline;
    Display m_display;
    Display m_shown;
    bool m_stopDuringVerification = false; // the stop was pressed while the archive was verified
    std::shared_ptr<HandOverChannel> m_channel;
    std::unique_ptr<TThreadArhiviranje> m_worker;
    std::function<void(HandOver)> m_handOverObserver;
};
