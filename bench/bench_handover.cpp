// Round-trip time of the worker's synchronous hand-over to the interface thread, idle and with
// every core busy compressing.

#include "config/ProgramSettings.h"
#include "run/RunController.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

#include <zlib.h>

#include <atomic>
#include <cstdio>
#include <thread>
#include <vector>

namespace {

class NullView : public RunView
{
  public:
    void setStatusText(const QString &text) override { m_status = text; }
    QString statusText() const override { return m_status; }
    void setFileProgress(int) override {}
    void setTotalProgress(int) override {}
    void setFileBarState(BarState) override {}
    void setTotalBarState(BarState) override {}
    void setRunTitle(const QString &) override {}
    void showPauseBox(const QString &) override {}
    void showArchiveError(const QString &) override {}

  private:
    QString m_status;
};

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

double measure(RunController &controller, int roundTrips)
{
    double microseconds = 0;
    std::thread worker([&] {
        QElapsedTimer timer;
        timer.start();
        for (int i = 0; i < roundTrips; ++i)
            controller.handOver(RunController::HandOver::FileBarReset,
                                [&controller] { controller.view().setFileProgress(0); });
        microseconds = double(timer.nsecsElapsed()) / 1000.0 / roundTrips;
        QMetaObject::invokeMethod(QCoreApplication::instance(), &QCoreApplication::quit,
                                  Qt::QueuedConnection);
    });
    QCoreApplication::exec();
    worker.join();
    return microseconds;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    ProgramSettings settings;
    NullView view;
    RunController controller(settings, view);
    const int roundTrips = 100000;

    std::printf("hand-over round trip, idle machine:      %7.2f us\n", measure(controller, roundTrips));

    std::atomic<bool> stop{false};
    std::vector<std::thread> burners;
    for (unsigned i = 0; i < std::thread::hardware_concurrency(); ++i)
        burners.emplace_back(burnWithDeflate, std::cref(stop));
    std::printf("hand-over round trip, all cores deflating: %7.2f us\n",
                measure(controller, roundTrips / 10));
    stop = true;
    for (std::thread &burner : burners)
        burner.join();
    return 0;
}
