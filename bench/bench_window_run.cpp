// Backs up one folder with the main window's automatic run and with arkivoda-cli, alternating, and
// reports the wall times, their ratio, and how long the window's event loop was ever kept from running.
// Meant to run under a real X server (xvfb-run), so that painting costs what it costs:
//
//   xvfb-run -a dbus-run-session -- build/bin/bench_window_run FOLDER [RUNS] [ARKIVODA_CLI]

#include "app/TGlavni.h"
#include "platform/LinuxDesktop.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <cstdio>

namespace {

// The longest stretch in which the interface thread did not come back to its event loop, seen two ways:
// the longest gap between two iterations of the loop (a 10 ms timer wakes it at least that often), and
// how late that timer fired at worst.
class LoopWatch : public QObject
{
  public:
    LoopWatch()
    {
        QAbstractEventDispatcher *dispatcher = QAbstractEventDispatcher::instance();
        connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, this, [this] {
            if (!m_running)
                return;
            const qint64 now = m_clock.nsecsElapsed();
            if (m_lastIteration >= 0 && now - m_lastIteration > m_longestGapNs) {
                m_longestGapNs = now - m_lastIteration;
                m_longestGapEndNs = now;
            }
            m_lastIteration = now;
        });
        m_heartbeat.setTimerType(Qt::PreciseTimer);
        m_heartbeat.setInterval(10);
        connect(&m_heartbeat, &QTimer::timeout, this, [this] {
            const qint64 now = m_clock.nsecsElapsed();
            if (m_lastBeat >= 0)
                m_worstBeatGapNs = std::max(m_worstBeatGapNs, now - m_lastBeat);
            m_lastBeat = now;
        });
    }

    void start()
    {
        m_longestGapNs = 0;
        m_longestGapEndNs = 0;
        m_runEndNs = -1;
        m_worstBeatGapNs = 0;
        m_lastIteration = -1;
        m_lastBeat = -1;
        m_running = true;
        m_clock.start();
        m_heartbeat.start();
    }
    void stop()
    {
        m_running = false;
        m_heartbeat.stop();
    }
    double longestGapMs() const { return m_longestGapNs / 1e6; }
    // When the longest gap ended, and when the worker completed, in seconds since start().
    double longestGapAt() const { return m_longestGapEndNs / 1e9; }
    double runEndAt() const { return m_runEndNs / 1e9; }
    void markRunEnd() { m_runEndNs = m_clock.nsecsElapsed(); }
    double worstBeatGapMs() const { return m_worstBeatGapNs / 1e6; }

  private:
    QElapsedTimer m_clock;
    QTimer m_heartbeat;
    bool m_running = false;
    qint64 m_lastIteration = -1;
    qint64 m_longestGapNs = 0;
    qint64 m_longestGapEndNs = 0;
    qint64 m_runEndNs = -1;
    qint64 m_lastBeat = -1;
    qint64 m_worstBeatGapNs = 0;
};

double median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    const qsizetype n = values.size();
    return n % 2 ? values.at(n / 2) : (values.at(n / 2 - 1) + values.at(n / 2)) / 2;
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

void emptyFolder(const QString &folder)
{
    QDir dir(folder);
    for (const QString &name : dir.entryList(QDir::Files))
        dir.remove(name);
}

qint64 archiveSize(const QString &folder)
{
    const QFileInfoList files = QDir(folder).entryInfoList(QDir::Files);
    return files.isEmpty() ? -1 : files.first().size();
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Arkivoda"));
    QApplication::setQuitOnLastWindowClosed(false);
    const QStringList arguments = QApplication::arguments();
    if (arguments.size() < 2) {
        std::fprintf(stderr, "usage: bench_window_run FOLDER [RUNS] [ARKIVODA_CLI]\n");
        return 2;
    }
    const QString source = QFileInfo(arguments.at(1)).absoluteFilePath();
    const int runs = arguments.size() > 2 ? arguments.at(2).toInt() : 3;
    const QString cli = arguments.size() > 3
                            ? arguments.at(3)
                            : QApplication::applicationDirPath() + QStringLiteral("/arkivoda-cli");

    QTemporaryDir work;
    const QString config = work.path() + QStringLiteral("/config");
    const QString data = config + QStringLiteral("/Arkivoda/");
    const QString archives = work.path() + QStringLiteral("/arhiva/");
    QDir().mkpath(data);
    QDir().mkpath(archives);
    // Reports off: the run is measured, not the time a person takes to read its summary.
    if (!writeFile(data + QStringLiteral("Arkivoda_bcklst.txt"),
                   (source + QStringLiteral("\r\n")).toUtf8()) ||
        !writeFile(data + QStringLiteral("Arkivoda.ini"),
                   (QStringLiteral("[LokacijaAuto]\r\nPutanja=") + archives +
                    QStringLiteral("\r\n[Program]\r\nReport=0\r\n"))
                       .toUtf8())) {
        std::fprintf(stderr, "cannot write the data folder in %s\n", qPrintable(work.path()));
        return 2;
    }
    qputenv("XDG_CONFIG_HOME", config.toUtf8());

    LinuxDesktop desktop;
    TGlavni window({QStringLiteral("arkivoda")}, desktop.services());
    window.showAtStart();
    if (!QTest::qWaitForWindowExposed(&window)) {
        std::fprintf(stderr, "the window did not come up: is there an X server?\n");
        return 2;
    }
    LoopWatch watch;
    QObject::connect(&window.runController(), &RunController::runFinished, &watch,
                     [&watch] { watch.markRunEnd(); });

    // One unmeasured run first, so that every measured one reads the folder from a warm cache.
    {
        QProcess warmUp;
        warmUp.setStandardOutputFile(QProcess::nullDevice());
        warmUp.setStandardErrorFile(QProcess::nullDevice());
        warmUp.start(cli, {});
        warmUp.waitForFinished(-1);
    }

    QList<double> cliTimes, windowTimes, passes, beats;
    std::printf("%-4s %-8s %10s %14s %16s %16s\n", "run", "program", "wall [s]", "archive [B]",
                "loop gap [ms]", "timer late [ms]");
    for (int run = 1; run <= runs; ++run) {
        emptyFolder(archives);
        QElapsedTimer clock;
        clock.start();
        QProcess process;
        process.setStandardOutputFile(QProcess::nullDevice());
        process.setStandardErrorFile(QProcess::nullDevice());
        process.start(cli, {});
        process.waitForFinished(-1);
        cliTimes << clock.elapsed() / 1000.0;
        std::printf("%-4d %-8s %10.2f %14lld\n", run, "cli", cliTimes.last(), archiveSize(archives));
        if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
            std::fprintf(stderr, "arkivoda-cli failed with %d\n", process.exitCode());
            return 1;
        }

        emptyFolder(archives);
        watch.start();
        clock.start();
        window.AutoZClick();
        windowTimes << clock.elapsed() / 1000.0;
        watch.stop();
        passes << watch.longestGapMs();
        beats << watch.worstBeatGapMs() - 10.0;
        std::printf("%-4d %-8s %10.2f %14lld %16.1f %16.1f   (at %.2f s; worker done at %.2f s)\n", run,
                    "window", windowTimes.last(), archiveSize(archives), passes.last(), beats.last(),
                    watch.longestGapAt(), watch.runEndAt());
        if (window.runState().archiveFailed || archiveSize(archives) <= 0) {
            std::fprintf(stderr, "the window's run did not write its archive\n");
            return 1;
        }
    }

    const double ratio = median(windowTimes) / median(cliTimes);
    const double worstPass = *std::max_element(passes.cbegin(), passes.cend());
    const double worstBeat = *std::max_element(beats.cbegin(), beats.cend());
    std::printf("\nmedian wall time: window %.2f s, arkivoda-cli %.2f s, ratio %.3f  [target <= 1.10: %s]\n",
                median(windowTimes), median(cliTimes), ratio, ratio <= 1.10 ? "PASS" : "FAIL");
    std::printf("longest gap between event-loop iterations %.1f ms, 10 ms timer at worst %.1f ms late  "
                "[target < 100 ms: %s]\n",
                worstPass, worstBeat, std::max(worstPass, worstBeat) < 100.0 ? "PASS" : "FAIL");
    return 0;
}
