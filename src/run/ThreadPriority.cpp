#include "run/ThreadPriority.h"

#include <algorithm>
#include <cerrno>
#include <sys/resource.h>
#include <unistd.h>

namespace {

// How far background work steps back: enough that the interface thread, the display server and the
// desktop are served first whenever they want to run, while background work still takes every core
// they leave idle.
constexpr int BackgroundNiceIncrement = 8;
constexpr int LowestNice = 19;

} // namespace

bool ThreadPriority::lowerForBackgroundWork()
{
    // On Linux the nice value belongs to the thread, not the process: PRIO_PROCESS with a thread id
    // changes that thread only.
    const auto thread = static_cast<id_t>(gettid());
    errno = 0;
    const int current = getpriority(PRIO_PROCESS, thread);
    if (current == -1 && errno != 0)
        return false;
    return setpriority(PRIO_PROCESS, thread, std::min(current + BackgroundNiceIncrement, LowestNice)) == 0;
}
