#include "run/HandOverChannel.h"

#include <QElapsedTimer>
#include <QTest>
#include <QThread>

#include <atomic>
#include <chrono>
#include <thread>

class TestHandOverChannel : public QObject
{
    Q_OBJECT

  private slots:
    // A long backlog is not run in one go: the interface thread gets back to its event loop between
    // drains, and every procedure still runs, in the order it was posted.
    void aDrainReturnsWithinItsBudgetAndKeepsTheOrder()
    {
        int wakes = 0;
        HandOverChannel channel([&wakes] { ++wakes; });
        QList<int> ran;
        constexpr int posted = 100;
        for (int i = 0; i < posted; ++i)
            channel.post([&ran, i] {
                ran << i;
                std::this_thread::sleep_for(std::chrono::milliseconds(2));
            });
        const int wakesBefore = wakes;

        channel.drain();
        QVERIFY2(ran.size() < posted, qPrintable(QString::number(ran.size())));
        QVERIFY(!ran.isEmpty());
        QVERIFY(wakes > wakesBefore);

        for (int drains = 0; ran.size() < posted && drains < posted; ++drains)
            channel.drain();
        QList<int> expected;
        for (int i = 0; i < posted; ++i)
            expected << i;
        QCOMPARE(ran, expected);
    }

    // A worker that posts without pause does not keep one drain going for ever.
    void aBusyWorkerDoesNotHoldTheDrain()
    {
        HandOverChannel channel([] {});
        std::atomic<bool> stop{false};
        std::atomic<long> postedCount{0};
        // The worker gives up after 3 s, so that a drain that never ends on its own still ends the test.
        std::thread worker([&] {
            QElapsedTimer posting;
            posting.start();
            while (!stop && posting.elapsed() < 3000) {
                channel.post([] { std::this_thread::sleep_for(std::chrono::microseconds(50)); });
                ++postedCount;
            }
        });
        while (postedCount < 1000)
            std::this_thread::yield();
        QElapsedTimer clock;
        clock.start();
        channel.drain();
        const qint64 drainMs = clock.elapsed();
        stop = true;
        // The worker may be waiting for room in a full backlog; closing the channel releases it.
        channel.close();
        worker.join();
        QVERIFY2(drainMs < 1000, qPrintable(QString::number(drainMs)));
    }
};

QTEST_GUILESS_MAIN(TestHandOverChannel)
#include "tst_HandOverChannel.moc"
