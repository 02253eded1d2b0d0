#pragma once

#include <QtGlobal>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <vector>

// The way one run's worker reaches the interface thread. Procedures are queued in the order the
// worker makes them and run on the interface thread, in that order, by drain(). Most are posted and
// the worker goes on at once; the few whose answer the worker needs are called and waited for. The
// flags are the interface thread's stop, pause and forced-stop requests as the worker reads them.
//
// A channel belongs to one run and is shared by the run's controller and its worker, so a worker that
// outlives its run (after a forced stop) only ever touches its own closed channel.
class HandOverChannel
{
  public:
    using Procedure = std::function<void()>;

    // How the interface thread is woken to drain: called with the channel's lock held, from any thread.
    explicit HandOverChannel(std::function<void()> wakeInterface);

    // Worker: queues a procedure and goes on. An urgent one wakes the interface thread at once;
    // others are run at its next drain (the interface drains regularly during a run).
    void post(Procedure procedure, bool urgent = false);
    // Worker: queues a procedure and waits until the interface thread has run it. False when the
    // channel was closed before it ran.
    bool call(Procedure procedure);

    // Interface thread: runs the queued procedures in order, also those queued meanwhile, for at most
    // DrainBudget; what is left then is run by the next drain, for which the interface is woken. A drain
    // started from inside a procedure (a modal box's event loop) leaves the work to the outer one.
    void drain();
    // Interface thread: no procedure runs any more; a waiting worker is released. Idempotent.
    void close();
    bool isClosed() const;

    // How often the worker has waited for the interface thread, by calls or by a full queue.
    int blockingWaits() const { return m_blockingWaits.load(); }

    // The interface thread's requests, mirrored for the worker, which reads them at fixed points.
    std::atomic<bool> stopRequested{false};        // the stop button was pressed
    std::atomic<bool> stopTextShown{false};        // the status line shows the stop text
    std::atomic<bool> pauseRequested{false};       // a pause is requested
    std::atomic<bool> forcedStopRequested{false};  // the forced stop was confirmed
    std::atomic<bool> forcedStopCarriedOut{false}; // the worker has ended the run after a forced stop

  private:
    struct Pending
    {
        Procedure procedure;
        bool *done = nullptr; // set when a waiting caller is told that its procedure has run
    };

    void enqueue(Pending pending, bool wake, std::unique_lock<std::mutex> &lock);

    // A queue this long is drained at once, and one much longer holds the worker until it is, so a
    // busy interface thread never lets memory grow without bound.
    static constexpr std::size_t WakeBacklog = 1024;
    // How long one drain may keep the interface thread from its event loop.
    static constexpr std::chrono::milliseconds DrainBudget{20};
    static constexpr std::size_t MaxBacklog = 1 << 17;

    std::function<void()> m_wakeInterface;
    mutable std::mutex m_mutex;
    std::condition_variable m_progress;
    std::vector<Pending> m_queue;
    bool m_wakePending = false;
    bool m_draining = false;
    bool m_closed = false;
    std::atomic<int> m_blockingWaits{0};
};
