#pragma once

#include <functional>

class QString;

// One running desktop program per configuration: the first start on a configuration holds it for as
// long as it runs, and a later start on the same configuration brings that one forward and ends.
class SingleInstance
{
  public:
    virtual ~SingleInstance() = default;

    // Claims the configuration named by key (its settings file) for this process; true when no other
    // process holds it. When another one does, it is asked to come forward and the result is false.
    virtual bool claim(const QString &key) = 0;
    // What this process does when a later start asks it to come forward; runs on the interface
    // thread. An empty handler ignores the requests.
    virtual void setForwardRequestHandler(std::function<void()> handler) = 0;
};
