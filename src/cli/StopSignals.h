#pragma once

#include <QObject>

#include <functional>

class QSocketNotifier;

// Turns SIGINT, SIGTERM and SIGHUP into calls on the interface thread: the first is the stop button, every
// later one the forced stop. The signal handler only writes a byte to a pipe, which is all it may do.
class StopSignals : public QObject
{
    Q_OBJECT

  public:
    StopSignals(std::function<void()> onStop, std::function<void()> onForcedStop, QObject *parent = nullptr);
    ~StopSignals() override;

  private:
    void readSignals();

    std::function<void()> m_onStop;
    std::function<void()> m_onForcedStop;
    int m_received = 0;
    QSocketNotifier *m_notifier = nullptr;
};
