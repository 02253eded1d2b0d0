#pragma once

#include "platform/LauncherProgress.h"
#include "run/RunView.h"

class QProgressBar;

// The progress of a run as the main window shows it: the file's bar, the whole run's bar, and the same
// progress on the program's launcher entry when the desktop has one. A paused bar is yellow and a
// stopped one red; its "barState" property names the state for tests and style sheets.
class RunBars
{
  public:
    // The launcher may be absent (nullptr).
    RunBars(QProgressBar *file, QProgressBar *total, LauncherProgress *launcher);

    // A run begins: both bars empty and in their normal colours.
    void reset();
    // A stopped run: both bars full.
    void fill();
    void setFilePercent(int percent);
    void setTotalPercent(int percent);
    void setFileState(RunView::BarState state);
    void setTotalState(RunView::BarState state);
    void setLauncherState(LauncherProgress::State state);

  private:
    void setLauncherValue(int percent);

    QProgressBar *m_file;
    QProgressBar *m_total;
    LauncherProgress *m_launcher;
};
