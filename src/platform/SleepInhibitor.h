#pragma once

class QString;

// Keeps the computer from sleeping or shutting down while a run writes its archive. The platform may
// refuse it or not offer it at all; the run goes on either way.
class SleepInhibitor
{
  public:
    virtual ~SleepInhibitor() = default;

    // Asks the platform to hold sleep and shutdown off, with the reason its dialogs show; returns at once.
    virtual void hold(const QString &why) = 0;
    // Lets sleep and shutdown go ahead again, also when the platform has not answered hold yet.
    virtual void release() = 0;
};
