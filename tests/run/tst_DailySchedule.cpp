#include "run/DailySchedule.h"

#include <QTest>
#include <QTime>

using Moments = QList<QDateTime>;

// The schedule alone, tick by tick, without a window or a timer.
class TestDailySchedule : public QObject
{
    Q_OBJECT

    // A moment of March 2026, written "day hh:mm:ss".
    static QDateTime on(int day, const char *time)
    {
        return QDateTime(QDate(2026, 3, day),
                         QTime::fromString(QLatin1String(time), QStringLiteral("hh:mm:ss")));
    }

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

    // Ticks in order, each marked with what it does: "S" starts the run, "W" warns, "." neither.
    void crossing_data()
    {
        QTest::addColumn<QDateTime>("restartAt");
        QTest::addColumn<Moments>("ticks");
        QTest::addColumn<QString>("marks");
        const QDateTime none;
        QTest::newRow("every second")
            << none << Moments{on(14, "07:59:59"), on(14, "08:00:00"), on(14, "08:00:01")} << ".S.";
        QTest::newRow("a skipped second") << none << Moments{on(14, "07:59:59"), on(14, "08:00:01")} << ".S";
        QTest::newRow("busy for minutes") << none << Moments{on(14, "07:59:59"), on(14, "08:03:10")} << ".S";
        QTest::newRow("clock stepped forward")
            << none << Moments{on(14, "07:10:00"), on(14, "09:30:00")} << ".S";
        QTest::newRow("clock stepped back after the run")
            << none
            << Moments{on(14, "08:00:00"), on(14, "08:00:01"), on(14, "07:59:00"), on(14, "08:00:00"),
                       on(14, "08:00:01")}
            << "S....";
        QTest::newRow("clock stepped back before the run")
            << none << Moments{on(14, "07:30:00"), on(14, "07:00:00"), on(14, "07:59:59"), on(14, "08:00:00")}
            << "..WS";
        QTest::newRow("suspended over the set time")
            << none << Moments{on(14, "07:00:00"), on(15, "10:00:00"), on(15, "10:00:01")} << ".S.";
        QTest::newRow("suspended over two set times: one run, then the day's")
            << none << Moments{on(14, "09:00:00"), on(16, "07:00:00"), on(16, "08:00:00")} << ".SS";
        QTest::newRow("started after the set time")
            << on(14, "08:00:05") << Moments{on(14, "08:00:06")} << ".";
        QTest::newRow("started in the second before")
            << on(14, "07:59:59") << Moments{on(14, "08:00:01")} << "S";
        QTest::newRow("a warning second skipped")
            << none << Moments{on(14, "07:58:59"), on(14, "07:59:01"), on(14, "07:59:02")} << ".W.";
    }

    void crossing()
    {
        QFETCH(QDateTime, restartAt);
        QFETCH(Moments, ticks);
        QFETCH(QString, marks);
        const double set = 8.0 / 24.0;
        DailySchedule schedule;
        if (restartAt.isValid())
            schedule.restart(restartAt);
        QString seen;
        for (const QDateTime &moment : ticks) {
            const DailySchedule::Tick tick = schedule.tick(moment.addMSecs(250), set);
            seen += tick.start ? QLatin1Char('S') : tick.warn ? QLatin1Char('W') : QLatin1Char('.');
        }
        QCOMPARE(seen, marks);
    }

    void midnightCrossedLate()
    {
        // Set for 23:59:59, the tick slips past midnight: the run is the day before's, and it starts.
        DailySchedule schedule;
        const double lastSecond = 86399.0 / 86400.0;
        QVERIFY(!schedule.tick(on(14, "23:59:58"), lastSecond).start);
        const DailySchedule::Tick tick = schedule.tick(on(15, "00:00:01"), lastSecond);
        QVERIFY(tick.start);
        QCOMPARE(tick.lateSeconds, 2);
        QVERIFY(!schedule.tick(on(15, "00:00:02"), lastSecond).start);
    }

    void aLateStartSaysHowLate()
    {
        DailySchedule schedule;
        schedule.tick(on(14, "07:00:00"), 8.0 / 24.0);
        const DailySchedule::Tick tick = schedule.tick(on(14, "10:30:00"), 8.0 / 24.0);
        QVERIFY(tick.start);
        QCOMPARE(tick.lateSeconds, 2 * 3600 + 30 * 60);
        QCOMPARE(tick.timeLeft, QStringLiteral("21:30:00"));
    }
};

QTEST_GUILESS_MAIN(TestDailySchedule)
#include "tst_DailySchedule.moc"
