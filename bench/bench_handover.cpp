// The cost of a hand-over from the worker to the interface thread: the blocking round trip (what
// one waited-for hand-over costs on this machine) and the posted hand-over that a run makes per file
// instead, each on an idle machine and with every core busy compressing.

#include "run/HandOverChannel.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <zlib.h>

#include <atomic>
#include <cstdio>
#include <memory>
#include <thread>
#include <vector>

namespace {

// Keeps one core busy with deflate until told to stop.
void burnWithDeflate(const std::atomic<bool> &stop)
{
    std::vector<unsigned char> input(1 << 20);
    for (size_t i = 0; i < input.size(); ++i)
        input[i] = static_cast<unsigned char>((i * 2654435761u) >> 13);
    std::vector<unsigned char> output(compressBound(uLong(input.size())));
    while (!stop) {
        uLongf length = uLongf(output.size());
        compress2(output.data(), &length, input.data(), uLong(input.size()), 6);
    }
}

// Microseconds per hand-over: count of them, blocking or posted, made by a worker while the
// interface thread drains as a run does (at once when woken, and about 30 times a second).
double measure(int count, bool blocking)
{
    QObject receiver;
    std::shared_ptr<HandOverChannel> channel;
    channel = std::make_shared<HandOverChannel>([&receiver, &channel] {
        QMetaObject::invokeMethod(
            &receiver, [&channel] { channel->drain(); }, Qt::QueuedConnection);
    });
    QTimer drainTimer;
    drainTimer.setInterval(33);
    QObject::connect(&drainTimer, &QTimer::timeout, &receiver, [&channel] { channel->drain(); });
    drainTimer.start();

    long long applied = 0;
    double microseconds = 0;
    std::thread worker([&] {
        QElapsedTimer timer;
        timer.start();
        for (int i = 0; i < count; ++i) {
            if (blocking)
                channel->call([&applied] { ++applied; });
            else
                channel->post([&applied] { ++applied; });
        }
        microseconds = double(timer.nsecsElapsed()) / 1000.0 / count;
        channel->post([] { QCoreApplication::quit(); }, true);
    });
    QCoreApplication::exec();
    worker.join();
    if (applied != count)
        std::fprintf(stderr, "hand-overs applied: %lld of %d\n", applied, count);
    return microseconds;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const int roundTrips = 100000;

    std::printf("hand-over round trip (blocking), idle machine:       %8.3f us\n", measure(roundTrips, true));
    std::printf("posted hand-over, idle machine:                      %8.3f us\n",
                measure(roundTrips * 10, false));

    std::atomic<bool> stop{false};
    std::vector<std::thread> burners;
    for (unsigned i = 0; i < std::thread::hardware_concurrency(); ++i)
        burners.emplace_back(burnWithDeflate, std::cref(stop));
    std::printf("hand-over round trip (blocking), all cores deflating: %8.3f us\n",
                measure(roundTrips / 10, true));
    std::printf("posted hand-over, all cores deflating:               %8.3f us\n",
                measure(roundTrips, false));
    stop = true;
    for (std::thread &burner : burners)
        burner.join();
    return 0;
}
