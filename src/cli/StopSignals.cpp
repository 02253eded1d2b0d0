#include "cli/StopSignals.h"

#include <QSocketNotifier>

#include <csignal>
#include <fcntl.h>
#include <unistd.h>

#include <stdexcept>

namespace {

int g_pipe[2] = {-1, -1};

// Ctrl+C, a termination request, and a closed terminal (SIGHUP) all stop the run so that the archive
// is closed properly; a second one forces the stop.
constexpr int StopSignalNumbers[] = {SIGINT, SIGTERM, SIGHUP};

void onSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(g_pipe[1], &byte, 1);
}

void installHandler(int signalNumber, void (*handler)(int))
{
    struct sigaction action = {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(signalNumber, &action, nullptr);
}

} // namespace

StopSignals::StopSignals(std::function<void()> onStop, std::function<void()> onForcedStop, QObject *parent)
    : QObject(parent), m_onStop(std::move(onStop)), m_onForcedStop(std::move(onForcedStop))
{
    if (::pipe2(g_pipe, O_CLOEXEC | O_NONBLOCK) != 0)
        throw std::runtime_error("cannot create the signal pipe");
    m_notifier = new QSocketNotifier(g_pipe[0], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &StopSignals::readSignals);
    for (const int signalNumber : StopSignalNumbers)
        installHandler(signalNumber, onSignal);
}

StopSignals::~StopSignals()
{
    for (const int signalNumber : StopSignalNumbers)
        installHandler(signalNumber, SIG_DFL);
    ::close(g_pipe[0]);
    ::close(g_pipe[1]);
    g_pipe[0] = g_pipe[1] = -1;
}

void StopSignals::readSignals()
{
    char bytes[16];
    ssize_t count;
    while ((count = ::read(g_pipe[0], bytes, sizeof bytes)) > 0) {
        for (ssize_t i = 0; i < count; ++i) {
            ++m_received;
            if (m_received == 1)
                m_onStop();
            else if (m_received == 2)
                m_onForcedStop();
        }
    }
}
