#include "run/DailySchedule.h"

#include <QTest>
#include <QTime>

// The schedule's arithmetic alone, tick by tick, without a window or a timer.
class TestDailySchedule : public QObject
{
    Q_OBJECT

  private slots:
    void ticks_data()
    {
        QTest::addColumn<QTime>("now");
        QTest::addColumn<double>("timerTime");
        QTest::addColumn<int>("secondsLeft");
        QTest::addColumn<QString>("timeLeft");
        QTest::addColumn<bool>("warn");
        QTest::addColumn<bool>("start");
        const double eight = 8.0 / 24.0; // 0.3333...: must not become 07:59:59
        QTest::newRow("an hour before") << QTime(7, 0, 0) << eight << 3600 << "01:00:00" << false << false;
        QTest::newRow("a minute before") << QTime(7, 59, 0) << eight << 60 << "00:01:00" << true << false;
        QTest::newRow("61 s before") << QTime(7, 58, 59) << eight << 61 << "00:01:01" << false << false;
        QTest::newRow("the second itself") << QTime(8, 0, 0) << eight << 0 << "00:00:00" << false << true;
        QTest::newRow("milliseconds dropped")
            << QTime(8, 0, 0, 999) << eight << 0 << "00:00:00" << false << true;
        QTest::newRow("just after: tomorrow")
            << QTime(8, 0, 1) << eight << 86399 << "23:59:59" << false << false;
        QTest::newRow("midnight run at 23:59:59")
            << QTime(23, 59, 59) << 0.0 << 1 << "00:00:01" << false << false;
        QTest::newRow("whole days ignored")
            << QTime(7, 0, 0) << 3.0 + eight << 3600 << "01:00:00" << false << false;
    }

    void ticks()
    {
        QFETCH(QTime, now);
        QFETCH(double, timerTime);
        const DailySchedule::Tick tick = DailySchedule::at(now, timerTime);
        QTEST(tick.secondsLeft, "secondsLeft");
        QTEST(tick.timeLeft, "timeLeft");
        QTEST(tick.warn, "warn");
        QTEST(tick.start, "start");
    }
};

QTEST_GUILESS_MAIN(TestDailySchedule)
#include "tst_DailySchedule.moc"
