#include "run/HandOverChannel.h"

#include <chrono>
#include <iterator>
#include <utility>

HandOverChannel::HandOverChannel(std::function<void()> wakeInterface)
    : m_wakeInterface(std::move(wakeInterface))
{
}

void HandOverChannel::enqueue(Pending pending, bool wake, std::unique_lock<std::mutex> &lock)
{
    if (m_closed)
        return;
    if (m_queue.size() >= MaxBacklog) {
        ++m_blockingWaits;
        if (!m_wakePending) {
            m_wakePending = true;
            m_wakeInterface();
        }
        m_progress.wait(lock, [this] { return m_closed || m_queue.size() < MaxBacklog; });
    }
    if (m_closed)
        return;
    m_queue.push_back(std::move(pending));
    if ((wake || m_queue.size() >= WakeBacklog) && !m_wakePending) {
        m_wakePending = true;
        m_wakeInterface();
    }
}

void HandOverChannel::post(Procedure procedure, bool urgent)
{
    std::unique_lock lock(m_mutex);
    enqueue({std::move(procedure), nullptr}, urgent, lock);
}

bool HandOverChannel::call(Procedure procedure)
{
    bool done = false;
    std::unique_lock lock(m_mutex);
    enqueue({std::move(procedure), &done}, true, lock);
    if (m_closed)
        return false;
    ++m_blockingWaits;
    m_progress.wait(lock, [this, &done] { return done || m_closed; });
    return done;
}

void HandOverChannel::drain()
{
    std::vector<Pending> batch;
    {
        std::lock_guard lock(m_mutex);
        m_wakePending = false;
        if (m_draining || m_closed)
            return;
        m_draining = true;
    }
    // However a procedure ends, later drains must be able to run.
    struct DrainingScope
    {
        HandOverChannel &channel;
        ~DrainingScope()
        {
            std::lock_guard lock(channel.m_mutex);
            channel.m_draining = false;
        }
    } scope{*this};
    const auto deadline = std::chrono::steady_clock::now() + DrainBudget;
    for (;;) {
        {
            std::lock_guard lock(m_mutex);
            if (m_closed || m_queue.empty())
                return;
            batch.swap(m_queue);
            m_wakePending = false;
        }
        m_progress.notify_all();
        for (std::size_t i = 0; i < batch.size(); ++i) {
            Pending &pending = batch[i];
            if (isClosed()) {
                // Closed by a procedure of this batch (the run ended): what follows is dropped.
                break;
            }
            pending.procedure();
            if (pending.done) {
                {
                    // A caller released by close() may be gone already: only an open channel answers.
                    std::lock_guard lock(m_mutex);
                    if (!m_closed)
                        *pending.done = true;
                }
                m_progress.notify_all();
            }
            if (std::chrono::steady_clock::now() >= deadline) {
                // The rest waits for the next drain, ahead of anything queued meanwhile, so the interface
                // thread gets back to its event loop however fast the worker posts.
                std::lock_guard lock(m_mutex);
                if (!m_closed) {
                    m_queue.insert(m_queue.begin(), std::make_move_iterator(batch.begin() + i + 1),
                                   std::make_move_iterator(batch.end()));
                    if (!m_queue.empty() && !m_wakePending) {
                        m_wakePending = true;
                        m_wakeInterface();
                    }
                }
                return;
            }
        }
        batch.clear();
    }
}

void HandOverChannel::close()
{
    {
        std::lock_guard lock(m_mutex);
        m_closed = true;
        m_queue.clear();
        m_draining = false;
    }
    m_progress.notify_all();
}

bool HandOverChannel::isClosed() const
{
    std::lock_guard lock(m_mutex);
    return m_closed;
}
