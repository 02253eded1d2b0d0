#pragma once

#include "run/HandOverChannel.h"
#include "run/RestoreJob.h"

#include <QObject>

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <thread>

// Runs one RestoreJob on a thread of its own and reports on the interface thread: throttled progress,
// the question about a file in the way, and the result. Reports reach the interface thread through a
// HandOverChannel, so the window is told and never polls; the question waits on the worker until the
// interface thread has answered it. Destroying the runner stops a restore still running and waits for
// its thread: the file in progress is dropped and a question not yet shown is answered with a stop.
class RestoreRunner : public QObject
{
    Q_OBJECT

  public:
    using Question = std::function<RestoreJob::Answer(const QString &path)>;

    // Repaints at most this often: a restore of 50,000 small files must not paint 50,000 times.
    static constexpr std::chrono::milliseconds ProgressInterval{100};

    RestoreRunner(QString archivePath, QList<RestoreItem> items, RestoreJob::Existing existing,
                  QObject *parent = nullptr);
    ~RestoreRunner() override;

    // Asked on the interface thread about a file in the way (RestoreJob::Existing::Ask); without one, the
    // file is kept. Set before start().
    void setQuestion(Question question) { m_question = std::move(question); }
    // Starts the restore's thread; once only.
    void start();
    // Asks the restore to stop; the file being written is dropped. It ends with finished().
    void requestStop();
    // From start() until finished() was emitted.
    bool isRunning() const { return m_running; }

  signals:
    // Where the restore stands; at most once per ProgressInterval, and once more at its end.
    void progressChanged(const RestoreJob::Progress &progress);
    // The restore has ended and its thread is gone. Emitted from the event loop, outside any hand-over,
    // so a receiver may delete the runner later (deleteLater()) or start another one.
    void finished(const RestoreJob::Result &result);

  private:
    // On the worker thread.
    void work();
    void noteProgress(const RestoreJob::Progress &progress);
    void postProgress();
    RestoreJob::Answer askOnInterface(const QString &path);
    // On the interface thread.
    void finish(const RestoreJob::Result &result);

    RestoreJob m_job;
    Question m_question;
    // Shared with the drains queued on the event loop, so that one running when the runner goes finds
    // its channel closed rather than gone.
    std::shared_ptr<HandOverChannel> m_channel;
    bool m_running = false;
    std::atomic<bool> m_stopRequested{false};
    // The worker's latest progress and when it last handed one over; touched by the worker only.
    RestoreJob::Progress m_latest;
    bool m_latestPosted = true;
    std::chrono::steady_clock::time_point m_lastPost{};
    std::thread m_thread;
};
