#include "run/RestoreRunner.h"

#include "run/ZipReason.h"

#include <exception>
#include <utility>

RestoreRunner::RestoreRunner(QString archivePath, QList<RestoreItem> items, RestoreJob::Existing existing,
                             QObject *parent)
    : QObject(parent), m_job(std::move(archivePath), std::move(items), existing),
      m_channel(std::make_shared<HandOverChannel>([this] {
          QMetaObject::invokeMethod(
              this, [channel = m_channel] { channel->drain(); }, Qt::QueuedConnection);
      }))
{
    m_job.setQuestion([this](const QString &path) { return askOnInterface(path); });
    m_job.setProgress([this](const RestoreJob::Progress &progress) { noteProgress(progress); });
}

RestoreRunner::~RestoreRunner()
{
    // A worker waiting for an answer is released by the closed channel and reads it as a stop.
    m_job.requestStop();
    m_channel->close();
    if (m_thread.joinable())
        m_thread.join();
}

void RestoreRunner::start()
{
    if (m_running || m_thread.joinable())
        return;
    m_running = true;
    m_thread = std::thread([this] { work(); });
}

void RestoreRunner::requestStop()
{
    m_stopRequested = true;
    m_job.requestStop();
}

void RestoreRunner::work()
{
    RestoreJob::Result result;
    // No exception leaves the worker: one the job did not record fails the restore with its reason.
    try {
        result = m_job.run();
    } catch (const std::exception &failure) {
        result.failed << RestoreJob::Failure{QString(), ZipReason::text(failure)};
    }
    // The last state is shown whatever the throttle held back, so the bar ends where the restore did.
    postProgress();
    m_channel->post([this, result] { finish(result); }, true);
}

void RestoreRunner::noteProgress(const RestoreJob::Progress &progress)
{
    m_latest = progress;
    m_latestPosted = false;
    if (std::chrono::steady_clock::now() - m_lastPost >= ProgressInterval)
        postProgress();
}

void RestoreRunner::postProgress()
{
    if (m_latestPosted)
        return;
    m_latestPosted = true;
    m_lastPost = std::chrono::steady_clock::now();
    m_channel->post([this, progress = m_latest] { emit progressChanged(progress); }, true);
}

RestoreJob::Answer RestoreRunner::askOnInterface(const QString &path)
{
    // The question shows the file the restore stands at, not one of a tenth of a second ago.
    postProgress();
    const RestoreJob::Answer stop{RestoreJob::Existing::Skip, false, true};
    // Held by the procedure too: a runner destroyed while its question is open releases this thread
    // before the answer comes.
    auto answer = std::make_shared<RestoreJob::Answer>(RestoreJob::Answer{RestoreJob::Existing::Skip});
    const bool answered = m_channel->call([this, question = m_question, path, answer, stop] {
        // A stop pressed while the question travelled is not followed by a box that asks anyway.
        if (m_stopRequested)
            *answer = stop;
        else if (question)
            *answer = question(path);
    });
    return answered ? *answer : stop;
}

void RestoreRunner::finish(const RestoreJob::Result &result)
{
    m_thread.join();
    // Nothing follows the result; the signal is given from the event loop rather than from inside this
    // drain, so that its receiver is free to let go of the runner.
    m_channel->close();
    QMetaObject::invokeMethod(
        this,
        [this, result] {
            m_running = false;
            emit finished(result);
        },
        Qt::QueuedConnection);
}
