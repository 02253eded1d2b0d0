#pragma once

#include <QString>

struct RunStatus;

// What a backup run shows, as seen by the run: the visible effects of the worker's hand-overs and of
// the progress handler. The desktop window and the command-line front end each implement it. Every
// method is called on the interface thread. The status line, the bars and the title are handed over
// at most about 30 times a second, with their latest values and always with the final ones; the two
// boxes return when they are closed.
class RunView
{
  public:
    enum class BarState { Normal, Paused, Error };

    virtual ~RunView() = default;

    // The status line.
    virtual void showStatus(const RunStatus &status) = 0;
    // The per-file and the overall progress, in whole percent.
    virtual void setFileProgress(int percent) = 0;
    virtual void setTotalProgress(int percent) = 0;
    // The look of the bars: normal, paused (both bars) or error (the file bar after a stop).
    virtual void setFileBarState(BarState state) = 0;
    virtual void setTotalBarState(BarState state) = 0;
    // The window title while a run reports progress.
    virtual void setRunTitle(const QString &title) = 0;
    // The pause box; the run stays paused until it is closed.
    virtual void showPauseBox(const QString &text) = 0;
    // The error box shown when the archive cannot be created or written; cause is the system's
    // description of what failed (empty when there is none).
    virtual void showArchiveError(const QString &text, const QString &cause) = 0;
};
