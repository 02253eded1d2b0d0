#include "app/RunBars.h"

#include <QApplication>
#include <QProgressBar>

namespace {

const QColor pausedBarColour(0xE8, 0xC2, 0x1A);
const QColor errorBarColour(0xD4, 0x24, 0x24);

const char *barStateName(RunView::BarState state)
{
    switch (state) {
    case RunView::BarState::Normal:
        return "normal";
    case RunView::BarState::Paused:
        return "paused";
    case RunView::BarState::Error:
        return "error";
    }
    return "normal";
}

// Normal bars keep the style's colours; a paused one is yellow and a stopped one red.
void setBarState(QProgressBar *bar, RunView::BarState state)
{
    QPalette palette = QApplication::palette(bar);
    if (state == RunView::BarState::Paused)
        palette.setColor(QPalette::Highlight, pausedBarColour);
    else if (state == RunView::BarState::Error)
        palette.setColor(QPalette::Highlight, errorBarColour);
    bar->setPalette(palette);
    bar->setProperty("barState", QString::fromLatin1(barStateName(state)));
}

// Bars draw a new position at once; only a value above the maximum (a file that grew while it was
// read) needs a larger maximum, until the next run resets it.
void setBarPosition(QProgressBar *bar, int value)
{
    if (value > bar->maximum())
        bar->setMaximum(value);
    bar->setValue(value);
}

LauncherProgress::State launcherStateOf(RunView::BarState state)
{
    switch (state) {
    case RunView::BarState::Normal:
        return LauncherProgress::State::Normal;
    case RunView::BarState::Paused:
        return LauncherProgress::State::Paused;
    case RunView::BarState::Error:
        return LauncherProgress::State::Error;
    }
    return LauncherProgress::State::Normal;
}

} // namespace

RunBars::RunBars(QProgressBar *file, QProgressBar *total, LauncherProgress *launcher)
    : m_file(file), m_total(total), m_launcher(launcher)
{
    for (QProgressBar *bar : {m_file, m_total}) {
        bar->setRange(0, 100);
        setBarState(bar, RunView::BarState::Normal);
    }
}

void RunBars::reset()
{
    for (QProgressBar *bar : {m_file, m_total}) {
        setBarState(bar, RunView::BarState::Normal);
        bar->setRange(0, 100);
        bar->setValue(0);
    }
    setLauncherState(LauncherProgress::State::Normal);
    setLauncherValue(0);
}

void RunBars::fill()
{
    for (QProgressBar *bar : {m_file, m_total}) {
        bar->setRange(0, 100);
        bar->setValue(100);
    }
    setLauncherState(LauncherProgress::State::Normal);
    setLauncherValue(100);
}

void RunBars::setFilePercent(int percent)
{
    setBarPosition(m_file, percent);
}

void RunBars::setTotalPercent(int percent)
{
    setBarPosition(m_total, percent);
    setLauncherValue(percent);
}

void RunBars::setFileState(RunView::BarState state)
{
    setBarState(m_file, state);
    setLauncherState(launcherStateOf(state));
}

void RunBars::setTotalState(RunView::BarState state)
{
    setBarState(m_total, state);
    setLauncherState(launcherStateOf(state));
}

void RunBars::setLauncherState(LauncherProgress::State state)
{
    if (m_launcher)
        m_launcher->SetProgressState(state);
}

void RunBars::setLauncherValue(int percent)
{
    if (m_launcher)
        m_launcher->SetProgressValue(percent, 100);
}
