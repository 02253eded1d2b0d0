#pragma once

#include <QtGlobal>

// The progress that the program's taskbar or launcher entry shows during a run.
class LauncherProgress
{
  public:
    enum class State { NoProgress, Normal, Error, Paused };

    virtual ~LauncherProgress() = default;

    virtual void SetProgressState(State state) = 0;
    virtual void SetProgressValue(qint64 completed, qint64 total) = 0;
};
