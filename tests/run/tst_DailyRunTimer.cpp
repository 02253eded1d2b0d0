#include "run/DailyRunTimer.h"

#include "config/ProgramSettings.h"

#include "TempTree.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTest>

using DueReason = DailyRunTimer::DueReason;

// The daily run as the timer tells it: the countdown, the warning a minute before, the run at the set
// time or late, the catch-up of a run missed, and the age of the last good backup. All through the
// clock seam and the signals, without a window.
class TestDailyRunTimer : public QObject
{
    Q_OBJECT

    static QDateTime today(const QTime &time) { return QDateTime(QDate(2026, 3, 14), time); }

    // Settings of a configuration of its own in a temporary folder, the schedule on at 08:00.
    struct Setup
    {
        TempTree tree;
        ProgramSettings settings;
        bool runInProgress = false;
        DailyRunTimer timer{settings, [this] { return runInProgress; }};

        explicit Setup(const QByteArray &settingsFile = {})
        {
            settings.userfolder = tree.root() + QLatin1Char('/');
            settings.GLOBAL_TimerEnabled = true;
            settings.GLOBAL_TimerTime = 8.0 / 24.0;
            QDir().mkpath(QFileInfo(settings.settingsFileName()).path());
            QFile file(settings.settingsFileName());
            if (!file.open(QIODevice::WriteOnly) || file.write(settingsFile) != settingsFile.size())
                qFatal("cannot write the settings file");
        }
    };

  private slots:
    void countdown_data()
    {
        QTest::addColumn<double>("setTime"); // hours
        QTest::addColumn<QTime>("now");
        QTest::addColumn<QString>("timeLeft");
        QTest::addColumn<bool>("warning");
        QTest::newRow("one minute before") << 8.0 << QTime(7, 59, 0) << "00:01:00" << true;
        QTest::newRow("milliseconds dropped") << 8.0 << QTime(7, 59, 0, 999) << "00:01:00" << true;
        QTest::newRow("61 seconds before") << 8.0 << QTime(7, 58, 59) << "00:01:01" << false;
        QTest::newRow("59 seconds before") << 8.0 << QTime(7, 59, 1) << "00:00:59" << false;
        QTest::newRow("one second after: tomorrow") << 8.0 << QTime(8, 0, 1) << "23:59:59" << false;
        QTest::newRow("five seconds after start-up") << 8.0 << QTime(8, 0, 5) << "23:59:55" << false;
        QTest::newRow("midnight, 30 s before") << 0.0 << QTime(23, 59, 30) << "00:00:30" << false;
        QTest::newRow("midnight, just after") << 0.0 << QTime(0, 0, 1) << "23:59:59" << false;
        QTest::newRow("last second of the day")
            << 23.0 + 59.0 / 60 + 59.0 / 3600 << QTime(0, 0, 0) << "23:59:59" << false;
    }

    void countdown()
    {
        QFETCH(double, setTime);
        QFETCH(QTime, now);
        QFETCH(QString, timeLeft);
        QFETCH(bool, warning);
        Setup setup;
        setup.settings.GLOBAL_TimerTime = setTime / 24.0;
        setup.timer.setClock([&] { return today(now); });
        QSignalSpy countdown(&setup.timer, &DailyRunTimer::countdown);
        QSignalSpy soon(&setup.timer, &DailyRunTimer::runSoon);
        QSignalSpy due(&setup.timer, &DailyRunTimer::runDue);

        setup.timer.tick();

        QCOMPARE(countdown.size(), 1);
        QCOMPARE(countdown.first().first().toString(), timeLeft);
        QCOMPARE(soon.size(), warning ? 1 : 0);
        QCOMPARE(due.size(), 0);
    }

    // The run is due in the tick that crosses the set time, once a day; a tick more than a minute late
    // says it starts late.
    void theDailyTime_data()
    {
        QTest::addColumn<QTime>("lateTick");
        QTest::addColumn<bool>("late");
        QTest::newRow("on the second") << QTime(8, 0, 0, 500) << false;
        QTest::newRow("two seconds late") << QTime(8, 0, 2) << false;
        QTest::newRow("ten minutes late") << QTime(8, 10, 0) << true;
    }

    void theDailyTime()
    {
        QFETCH(QTime, lateTick);
        QFETCH(bool, late);
        Setup setup;
        QTime now(7, 59, 59);
        setup.timer.setClock([&] { return today(now); });
        QSignalSpy due(&setup.timer, &DailyRunTimer::runDue);
        setup.timer.tick();
        QCOMPARE(due.size(), 0);

        now = lateTick;
        setup.timer.tick();
        now = lateTick.addSecs(1);
        setup.timer.tick();

        QCOMPARE(due.size(), 1);
        QCOMPARE(due.first().at(0).value<DueReason>(), DueReason::DailyTime);
        QCOMPARE(due.first().at(1).toTime(), QTime(8, 0));
        QCOMPARE(due.first().at(2).toBool(), late);
    }

    // Nothing counts down or falls due while the schedule is off or a run is in progress.
    void quietWhen_data()
    {
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<bool>("running");
        QTest::newRow("schedule off") << false << false;
        QTest::newRow("run in progress") << true << true;
    }

    void quietWhen()
    {
        QFETCH(bool, enabled);
        QFETCH(bool, running);
        Setup setup("[Timer]\r\nZadnje=2026-03-12T08:00:03\r\n");
        setup.settings.GLOBAL_TimerEnabled = enabled;
        setup.settings.GLOBAL_TimerCatchUp = true;
        setup.runInProgress = running;
        setup.timer.setClock([] { return today(QTime(8, 0, 0)); });
        QSignalSpy countdown(&setup.timer, &DailyRunTimer::countdown);
        QSignalSpy due(&setup.timer, &DailyRunTimer::runDue);

        setup.timer.tick();
        setup.timer.checkMissedRun();

        QCOMPARE(countdown.size(), 0);
        QCOMPARE(due.size(), 0);
    }

    void catchUp_data()
    {
        QTest::addColumn<QByteArray>("record"); // the Timer section's last start
        QTest::addColumn<QDateTime>("now");
        QTest::addColumn<bool>("missed"); // the 08:00 run is due
        QTest::addColumn<bool>("unusable");
        QTest::addColumn<QString>("stored");
        const QDateTime morning = today(QTime(9, 30, 0));
        QTest::newRow("missed yesterday") << QByteArray("Zadnje=2026-03-12T08:00:03\r\n")
                                          << today(QTime(7, 0)) << true << false << QString();
        QTest::newRow("missed today")
            << QByteArray("Zadnje=2026-03-13T08:00:03\r\n") << morning << true << false << QString();
        QTest::newRow("already run today")
            << QByteArray("Zadnje=2026-03-14T08:00:02\r\n") << morning << false << false << QString();
        QTest::newRow("run early today, before the set time")
            << QByteArray("Zadnje=2026-03-14T07:10:00\r\n") << morning << true << false << QString();
        QTest::newRow("clock set back")
            << QByteArray("Zadnje=2026-03-14T08:00:02\r\n") << QDateTime(QDate(2026, 3, 13), QTime(10, 0))
            << false << false << QString();
        QTest::newRow("nothing on record") << QByteArray() << morning << false << false << QString();
        QTest::newRow("record not a date") << QByteArray("Zadnje=ju\xc4\x8d"
                                                         "er\r\n")
                                           << morning << true << true << u"jučer"_qs;
        QTest::newRow("record empty") << QByteArray("Zadnje=\r\n") << morning << true << true << QString();
        QTest::newRow("record a year ahead") << QByteArray("Zadnje=2027-03-14T08:00:02\r\n") << morning
                                             << true << true << u"2027-03-14T08:00:02"_qs;
    }

    void catchUp()
    {
        QFETCH(QByteArray, record);
        QFETCH(QDateTime, now);
        QFETCH(bool, missed);
        QFETCH(bool, unusable);
        QFETCH(QString, stored);
        Setup setup("[Timer]\r\n" + record);
        setup.settings.GLOBAL_TimerCatchUp = true;
        setup.timer.setClock([&] { return now; });
        QSignalSpy due(&setup.timer, &DailyRunTimer::runDue);
        QSignalSpy unusableNote(&setup.timer, &DailyRunTimer::startRecordUnusable);

        setup.timer.checkMissedRun();
        setup.timer.checkMissedRun();

        // Nothing records a start here, so the run stays due; the unusable record is said once.
        QCOMPARE(due.size(), missed ? 2 : 0);
        if (missed) {
            QCOMPARE(due.first().at(0).value<DueReason>(), DueReason::CatchUp);
            QCOMPARE(due.first().at(1).toTime(), QTime(8, 0));
            QVERIFY(due.first().at(2).toBool());
        }
        QCOMPARE(unusableNote.size(), unusable ? 1 : 0);
        if (unusable)
            QCOMPARE(unusableNote.first().first().toString(), stored);
    }

    void catchUpOffLooksAtNothing()
    {
        Setup setup("[Timer]\r\nZadnje=2026-03-12T08:00:03\r\n");
        setup.timer.setClock([] { return today(QTime(9, 0)); });
        QSignalSpy due(&setup.timer, &DailyRunTimer::runDue);

        setup.timer.checkMissedRun();

        QCOMPARE(due.size(), 0);
    }

    // The age in words follows the last good backup; overdue only with the schedule on, said once a day.
    void age()
    {
        Setup setup;
        QDateTime now = today(QTime(12, 0));
        setup.timer.setClock([&] { return now; });
        QSignalSpy age(&setup.timer, &DailyRunTimer::ageChanged);
        QSignalSpy overdueToday(&setup.timer, &DailyRunTimer::overdueToday);

        setup.timer.setLastGood(now.addDays(-3));
        setup.timer.refreshAge();
        QCOMPARE(age.size(), 2);
        QCOMPARE(age.last().at(0).toString(), u"Zadnje uspješno arhiviranje: prije 3 dana"_qs);
        QVERIFY(age.last().at(1).toBool());
        QCOMPARE(overdueToday.size(), 1);
        QCOMPARE(overdueToday.first().first().toString(), age.last().at(0).toString());

        now = now.addDays(1);
        setup.timer.refreshAge();
        QCOMPARE(overdueToday.size(), 2);

        setup.settings.GLOBAL_TimerEnabled = false;
        setup.timer.refreshAge();
        QVERIFY(!age.last().at(1).toBool());

        setup.settings.GLOBAL_TimerEnabled = true;
        setup.timer.setLastGood(now);
        QCOMPARE(age.last().at(0).toString(), u"Zadnje uspješno arhiviranje: danas"_qs);
        QVERIFY(!age.last().at(1).toBool());
        QCOMPARE(overdueToday.size(), 2);
    }

    void theTimerTicksEverySecond()
    {
        Setup setup;
        setup.timer.setClock([] { return today(QTime(7, 0)); });
        QSignalSpy countdown(&setup.timer, &DailyRunTimer::countdown);

        setup.timer.setRunning(true);
        QVERIFY(setup.timer.isRunning());
        QCOMPARE(setup.timer.timer().interval(), 1000);
        QCOMPARE(setup.timer.timer().timerType(), Qt::PreciseTimer);
        QTRY_COMPARE_WITH_TIMEOUT(countdown.size(), 1, 3000);
        QCOMPARE(countdown.first().first().toString(), u"01:00:00"_qs);

        setup.timer.setRunning(false);
        QVERIFY(!setup.timer.isRunning());
    }
};

QTEST_GUILESS_MAIN(TestDailyRunTimer)
#include "tst_DailyRunTimer.moc"
