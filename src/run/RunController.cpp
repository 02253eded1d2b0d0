#include "run/RunController.h"

#include "config/MessageTable.h"
#include "config/SystemReason.h"
#include "run/HandOverChannel.h"
#include "run/Percent.h"
#include "run/RunSummary.h"
#include "run/TThreadArhiviranje.h"

#include <QEventLoop>

namespace {

// A forced stop that the worker has not carried out by then (it is blocked in the file system, or still
// collecting) is completed by the interface thread, and the worker is left to end on its own.
constexpr int ForcedStopDeadlineMs = 2000;

// The interface thread takes the worker's queued hand-overs and repaints the run this often: about
// 30 times a second, however many files go by.
constexpr int DisplayIntervalMs = 33;

} // namespace

RunController::RunController(RunView &view, QObject *parent) : QObject(parent), m_view(view)
{
    m_elapsedTimer.setInterval(1000);
    connect(&m_elapsedTimer, &QTimer::timeout, this, &RunController::countElapsedSecond);
    m_drainTimer.setInterval(DisplayIntervalMs);
    connect(&m_drainTimer, &QTimer::timeout, this, [this] {
        drainHandOvers();
        repaint();
    });
    m_forcedStopDeadline.setSingleShot(true);
    m_forcedStopDeadline.setInterval(ForcedStopDeadlineMs);
    connect(&m_forcedStopDeadline, &QTimer::timeout, this, [this] {
        if (!workerRunning())
            return;
        abandonWorker();
        finishRun(true);
    });
}

RunController::~RunController()
{
    if (m_channel)
        m_channel->close();
    // A worker that was forced to stop may still be unwinding; it touches nothing of ours any more.
    if (m_worker)
        m_worker->wait();
}

void RunController::waitForWorker()
{
    if (m_worker)
        m_worker->wait();
}

bool RunController::beginAttempt()
{
    if (m_state.GLOBAL_ArhiviranjeUTijeku)
        return false;
    m_state.GLOBAL_ArhiviranjeUTijeku = true;
    return true;
}

void RunController::endAttempt()
{
    m_state.GLOBAL_ArhiviranjeUTijeku = false;
}

bool RunController::workerRunning() const
{
    // The channel closes exactly when the run is finished.
    return m_channel && !m_channel->isClosed();
}

void RunController::setRequest(bool RunState::*flag, std::atomic<bool> HandOverChannel::*mirror, bool value)
{
    m_state.*flag = value;
    if (m_channel)
        (*m_channel.*mirror) = value;
}

int RunController::blockingWaits() const
{
    return m_channel ? m_channel->blockingWaits() : 0;
}

void RunController::prepareRun(const RunRequest &request)
{
    m_request = request;
    // The request flags start clear, as do the mirrors of the run's new channel.
    m_state.fKill = false;
    m_state.NasilniPrekidArhiviranja = false;
    m_state.PrekidArhiviranja = false;
    m_state.Pauza = false;
    m_state.file_missing_list.clear();
    m_state.file_size = 0;
    m_state.file_size_ukupno = 0;
    m_state.file_size_progress = 0;
    m_state.file_count_progress = 0;
    m_state.file_missing = 0;
    m_state.archiveNamed = false;
    m_state.archiveClosed = false;
    m_state.archiveFailed = false;
    m_state.archiveFailure.clear();
    m_state.archiveFailureReason.clear();
    m_state.arhiva_file = request.arhiva_file;
    m_state.leftoverParts = request.leftoverParts;
    m_state.verification = RunState::Verification::NotRequested;
    m_state.verificationFault.clear();
    m_state.verificationMs = 0;
    m_state.leftOutFiles = 0;
    m_state.leftOutFolders = 0;
    m_stopDuringVerification = false;
    m_display = Display();
    m_shown = m_display;
    // Said once, as the run starts; the collection's status follows when the worker begins.
    if (!request.leftoverParts.isEmpty())
        m_display.status = RunStatus::leftoverParts(request.leftoverParts.size());
}

void RunController::run(const RunRequest &request)
{
    if (workerRunning())
        return;
    if (m_worker) {
        m_worker->wait();
        m_worker.reset();
    }
    prepareRun(request);
    // What the run says as it starts is shown before the worker's first word can replace it.
    repaint();
    m_channel = std::make_shared<HandOverChannel>(
        [this] { QMetaObject::invokeMethod(this, &RunController::drainHandOvers, Qt::QueuedConnection); });

    QEventLoop loop;
    const auto connection =
        connect(this, &RunController::runFinished, &loop, &QEventLoop::quit, Qt::QueuedConnection);
    m_drainTimer.start();
    m_worker = std::make_unique<TThreadArhiviranje>(static_cast<RunEvents &>(*this), m_channel, request);
    m_worker->start();
    loop.exec();
    disconnect(connection);
}

void RunController::onHandOver(HandOver which)
{
    if (m_handOverObserver)
        m_handOverObserver(which);
}

void RunController::abandonWorker()
{
    // Nothing waits for this worker again, the program's exit included; it frees itself when it ends.
    TThreadArhiviranje *worker = m_worker.release();
    connect(worker, &QThread::finished, worker, &QObject::deleteLater);
    if (worker->isFinished())
        worker->deleteLater();
}

void RunController::drainHandOvers()
{
    if (m_channel)
        m_channel->drain();
}

void RunController::finishRun(bool forced)
{
    if (forced)
        m_state.fKill = true;
    m_forcedStopDeadline.stop();
    // Nothing the worker queues from now on runs: a worker that outlives its run changes nothing.
    m_channel->close();
    m_drainTimer.stop();
    repaint();
    emit runFinished();
}

void RunController::progressDisplay(qint64 position, bool pausing)
{
    if (pausing && m_state.Pauza) {
        repaint();
        m_view.setFileBarState(RunView::BarState::Paused);
        m_view.setTotalBarState(RunView::BarState::Paused);
        m_view.showPauseBox(MessageTable::text(Msg::PauseBoxText));
        m_view.setFileBarState(RunView::BarState::Normal);
        m_view.setTotalBarState(RunView::BarState::Normal);
        setRequest(&RunState::Pauza, &HandOverChannel::pauseRequested, false);
        return;
    }
    int totalPercent = 0;
    if (m_state.file_size > 0 && m_state.file_size_ukupno > 0) {
        m_display.filePercent = percentOf(position, m_state.file_size);
        totalPercent = percentOf(position + m_state.file_size_progress, m_state.file_size_ukupno);
        m_display.totalPercent = totalPercent;
    }
    if (m_state.file_size_progress >= 0 && m_state.file_size_ukupno >= 0 && totalPercent >= 0 &&
        totalPercent <= 100)
        m_display.title = runTitle(totalPercent);
}

QString RunController::runTitle(int totalPercent) const
{
    return m_request.GLOBAL_ApplicationTitle + QLatin1Char(' ') + QString::number(totalPercent) +
           QStringLiteral("% ") + m_request.GLOBAL_lista_caption + QStringLiteral(" - ") +
           MessageTable::text(Msg::ElapsedTimeLabel) + QLatin1Char(' ') + m_state.proteklo_vrijeme_prikaz;
}

void RunController::setStatus(const RunStatus &status)
{
    m_display.status = status;
    if (m_channel)
        m_channel->stopTextShown = status.kind == RunStatus::Kind::Stopping;
}

void RunController::setFileBar(int percent)
{
    m_display.filePercent = percent;
}

void RunController::repaint()
{
    if (m_display == m_shown)
        return;
    if (!(m_display.status == m_shown.status))
        m_view.showStatus(m_display.status);
    if (m_display.filePercent != m_shown.filePercent)
        m_view.setFileProgress(m_display.filePercent);
    if (m_display.totalPercent != m_shown.totalPercent)
        m_view.setTotalProgress(m_display.totalPercent);
    if (m_display.title != m_shown.title)
        m_view.setRunTitle(m_display.title);
    m_shown = m_display;
}

void RunController::recordMissing(const QString &path)
{
    ++m_state.file_missing;
    m_state.file_missing_list.append(path);
}

void RunController::onUnreadable(const QString &path, int error)
{
    recordMissing(SystemReason::unreadableSource(path, error));
}

void RunController::onEntryNameTooLong(const QString &path)
{
    recordMissing(MessageTable::fill(MessageTable::text(Msg::MissingNameTooLong), {path}));
}

void RunController::reportArchiveError(const QString &cause, const QString &reason)
{
    m_state.archiveFailed = true;
    m_state.archiveFailure = cause;
    m_state.archiveFailureReason = reason;
    repaint();
    m_view.showArchiveError(MessageTable::text(Msg::StatusArchiveError), cause);
}

void RunController::countElapsedSecond()
{
    if (!m_state.Pauza && m_state.file_size_progress >= 0) {
        ++m_state.proteklo_vrijeme;
        m_state.proteklo_vrijeme_prikaz = RunSummary::elapsedText(m_state.proteklo_vrijeme);
    }
}

void RunController::restartTimer()
{
    m_elapsedTimer.stop();
    m_elapsedTimer.start();
}

void RunController::stopTimer()
{
    m_elapsedTimer.stop();
}

void RunController::requestPause()
{
    setRequest(&RunState::Pauza, &HandOverChannel::pauseRequested, true);
}

void RunController::requestStop()
{
    m_stopDuringVerification = m_display.status.kind == RunStatus::Kind::Verifying;
    setStatus(RunStatus::plain(RunStatus::Kind::Stopping));
    setRequest(&RunState::PrekidArhiviranja, &HandOverChannel::stopRequested, true);
    m_view.setFileBarState(RunView::BarState::Error);
    repaint();
}

void RunController::forceStop()
{
    setStatus(RunStatus::plain(RunStatus::Kind::ForcedStop));
    stopTimer();
    setRequest(&RunState::NasilniPrekidArhiviranja, &HandOverChannel::forcedStopRequested, true);
    if (workerRunning())
        m_forcedStopDeadline.start();
    repaint();
}

void RunController::onCollecting()
{
    setStatus(RunStatus::plain(RunStatus::Kind::Collecting));
}

void RunController::onFileSize(qint64 bytes)
{
    m_state.file_size_ukupno += bytes;
}

void RunController::onFileCount(qint64 count)
{
    m_state.file_count_ukupno = count;
    m_state.proteklo_vrijeme = 0;
    m_state.proteklo_vrijeme_prikaz = RunSummary::elapsedText(0);
}

void RunController::onFileOpened(qint64 size)
{
    m_state.file_size = size;
}

void RunController::onFileStarted(const QString &path)
{
    ++m_state.file_count_progress;
    // A stop pressed after the worker looked keeps its text in the status line.
    if (m_display.status.kind != RunStatus::Kind::Stopping)
        setStatus(RunStatus::archivingFile(m_state.file_count_progress, m_state.file_count_ukupno, path));
}

void RunController::onFileAdded()
{
    m_state.file_size_progress += m_state.file_size;
}

void RunController::onArchiveNamed()
{
    m_state.archiveNamed = true;
    // Until its result comes, a requested verification counts as not done: a run that ends before
    // then never passes for a verified one.
    if (m_request.verify)
        m_state.verification = RunState::Verification::Interrupted;
}

void RunController::onVerifyProgress(int percent)
{
    // A stop pressed during the verification keeps its text, as does a forced stop: the verification
    // ends at the next entry. A stop pressed while files were archived had its effect already.
    const bool stopShown = m_display.status.kind == RunStatus::Kind::ForcedStop ||
                           (m_display.status.kind == RunStatus::Kind::Stopping && m_stopDuringVerification);
    if (!stopShown)
        setStatus(RunStatus::verifying(percent));
    m_display.totalPercent = percent;
}

void RunController::onVerified(RunState::Verification result, const QString &fault, qint64 ms)
{
    m_state.verification = result;
    m_state.verificationFault = fault;
    m_state.verificationMs = ms;
}
