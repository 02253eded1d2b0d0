#pragma once

// The scheduling weight of the calling thread, for work that must not keep the interface from
// responding on a machine with few cores.
class ThreadPriority
{
  public:
    // Makes the calling thread, and every thread it starts from now on, give way to threads of normal
    // priority (on Linux: a higher nice value, which new threads inherit). Returns false when the
    // system refused; the thread then goes on at the priority it had.
    static bool lowerForBackgroundWork();
};
