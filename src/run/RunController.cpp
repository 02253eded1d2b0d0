#include "run/RunController.h"

#include "config/MessageTable.h"
#include "config/ProgramSettings.h"
#include "run/RunSummary.h"
#include "run/TThreadArhiviranje.h"

#include <QEventLoop>
#include <QThread>

#include <cmath>

RunController::RunController(const ProgramSettings &settings, RunView &view, QObject *parent)
    : QObject(parent), m_settings(settings), m_view(view)
{
    m_timer.setInterval(1000);
    connect(&m_timer, &QTimer::timeout, this, &RunController::TimerTimer);
}

RunController::~RunController()
{
    // A worker that was forced to stop may still be unwinding; it touches nothing of ours any more.
    waitForWorker();
}

void RunController::waitForWorker()
{
    if (m_worker)
        m_worker->wait();
}

int RunController::percentOf(qint64 part, qint64 whole)
{
    const long double exact = static_cast<long double>(part) / static_cast<long double>(whole) * 100.0L;
    return static_cast<int>(std::nearbyint(exact));
}

void RunController::prepareRun(const QString &archiveFile)
{
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
    m_state.arhiva_file = archiveFile;
}

void RunController::Arhiviranje()
{
    if (m_worker) {
        m_worker->wait();
        m_worker.reset();
    }
    QEventLoop loop;
    const auto connection =
        connect(this, &RunController::Evnt, &loop, &QEventLoop::quit, Qt::QueuedConnection);
    m_worker = std::make_unique<TThreadArhiviranje>(*this);
    m_worker->start();
    loop.exec();
    disconnect(connection);
}

void RunController::handOver(HandOver which, const std::function<void()> &procedure)
{
    const auto run = [this, which, &procedure] {
        if (m_handOverObserver)
            m_handOverObserver(which);
        procedure();
    };
    // A blocking queued call from the interface thread to itself would dead-lock.
    if (QThread::currentThread() == thread()) {
        run();
        return;
    }
    QMetaObject::invokeMethod(this, run, Qt::BlockingQueuedConnection);
}

void RunController::signalCompletion()
{
    emit Evnt();
}

void RunController::OnProgress(qint64 position)
{
    if (!m_state.NasilniPrekidArhiviranja)
        handOver(HandOver::ProgressDisplay, [this, position] { progressDisplay(position); });
    if (m_state.NasilniPrekidArhiviranja && !m_state.fKill) {
        m_state.fKill = true;
        if (m_worker) {
            signalCompletion();
            throw ForcedStop{};
        }
    }
}

void RunController::progressDisplay(qint64 position)
{
    if (m_state.Pauza) {
        m_view.setFileBarState(RunView::BarState::Paused);
        m_view.setTotalBarState(RunView::BarState::Paused);
        if (m_compressionPauseHook)
            m_compressionPauseHook(true);
        m_view.showPauseBox(MessageTable::text(Msg::PauseBoxText));
        if (m_compressionPauseHook)
            m_compressionPauseHook(false);
        m_view.setFileBarState(RunView::BarState::Normal);
        m_view.setTotalBarState(RunView::BarState::Normal);
        m_state.Pauza = false;
        return;
    }
    int totalPercent = 0;
    if (m_state.file_size > 0 && m_state.file_size_ukupno > 0) {
        const int filePercent = percentOf(position, m_state.file_size);
        totalPercent = percentOf(position + m_state.file_size_progress, m_state.file_size_ukupno);
        m_view.setFileProgress(filePercent);
        m_view.setTotalProgress(totalPercent);
    }
    if (m_state.file_size_progress >= 0 && m_state.file_size_ukupno >= 0 && totalPercent >= 0 &&
        totalPercent <= 100)
        m_view.setRunTitle(runTitle(totalPercent));
}

QString RunController::runTitle(int totalPercent) const
{
    return m_settings.GLOBAL_ApplicationTitle + QLatin1Char(' ') + QString::number(totalPercent) +
           QStringLiteral("% ") + m_settings.GLOBAL_lista_caption + QStringLiteral(" - ") +
           MessageTable::text(Msg::ElapsedTimeLabel) + QLatin1Char(' ') + m_state.proteklo_vrijeme_prikaz;
}

void RunController::TimerTimer()
{
    if (!m_state.Pauza && m_state.file_size_progress >= 0) {
        ++m_state.proteklo_vrijeme;
        m_state.proteklo_vrijeme_prikaz = RunSummary::elapsedText(m_state.proteklo_vrijeme);
    }
}

void RunController::restartTimer()
{
    m_timer.stop();
    m_timer.start();
}

void RunController::stopTimer()
{
    m_timer.stop();
}

void RunController::BTN_PauseClick()
{
    m_state.Pauza = true;
}

void RunController::BTN_CancelClick()
{
    m_view.setStatusText(MessageTable::text(Msg::StatusStopRequested));
    m_state.PrekidArhiviranja = true;
    m_view.setFileBarState(RunView::BarState::Error);
}

void RunController::forceStop()
{
    m_view.setStatusText(MessageTable::text(Msg::StatusForcedStop));
    stopTimer();
    m_state.NasilniPrekidArhiviranja = true;
}
