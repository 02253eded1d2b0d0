#include "config/MessageTable.h"

#include "GlavniFixture.h"

#include <QFile>

#include <QLabel>
#include <QTest>

using HandOver = RunController::HandOver;

// The daily schedule as the main window shows it, driven through its clock seam: the countdown in the
// status line, the warning balloon a minute before, the run at the set second, the catch-up's and the
// backup age's messages. The schedule's own timing is tested with DailyRunTimer.
class TestAutoTimer : public QObject
{
    Q_OBJECT

    static QString countdown(const QString &timeLeft)
    {
        return MessageTable::fill(MessageTable::text(Msg::StatusNextAutoRun), {timeLeft});
    }
    static QDateTime today(const QTime &time) { return QDateTime(QDate(2026, 3, 14), time); }
    static QByteArray timerSettings(const QByteArray &time, bool enabled = true)
    {
        return "[Timer]\r\nEnabled=" + QByteArray(enabled ? "1" : "0") + "\r\nTime=" + time + "\r\n";
    }

  private slots:
    void initTestCase()
    {
        QCoreApplication::setApplicationName(QStringLiteral("Arkivoda"));
        qputenv("ARKIVODA_START_DELAY_MS", "0");
    }

    void countdown_data()
    {
        QTest::addColumn<QString>("setTime");
        QTest::addColumn<QTime>("now");
        QTest::addColumn<QString>("timeLeft");
        QTest::addColumn<bool>("warning");

        QTest::newRow("one minute before") << "08:00:00" << QTime(7, 59, 0) << "00:01:00" << true;
        QTest::newRow("one second after: tomorrow") << "08:00:00" << QTime(8, 0, 1) << "23:59:59" << false;
    }

    void countdown()
    {
        QFETCH(QString, setTime);
        QFETCH(QTime, now);
        QFETCH(QString, timeLeft);
        QFETCH(bool, warning);
        GlavniFixture fixture(timerSettings(setTime.toUtf8()));
        TGlavni &window = fixture.create();
        window.setClock([&] { return today(now); });

        window.AutoTimerTimer();

        QCOMPARE(fixture.control<QLabel>("LBL_Status")->text(), countdown(timeLeft));
        QCOMPARE(fixture.desktop.tray.messages.size(), warning ? 1 : 0);
        if (warning) {
            const FakeTrayIcon::Message &balloon = fixture.desktop.tray.messages.first();
            QCOMPARE(balloon.title, QStringLiteral("Arkivoda "));
            QCOMPARE(balloon.text,
                     QStringLiteral("Arkivoda će pokrenuti automatsko arhiviranje za jednu minutu"));
            QCOMPARE(balloon.icon, TrayIcon::BalloonIcon::Warning);
            QCOMPARE(balloon.timeoutMs, 7000);
        }
        QVERIFY(fixture.archives().isEmpty());
        QVERIFY(fixture.window->isHidden());
    }

    void theWarningNamesTheConfiguration()
    {
        GlavniFixture fixture;
        fixture.tree.writeFile(QStringLiteral("config/Arkivoda/Posao_Arkivoda.ini"),
                               timerSettings("08:00:00"));
        // Its own list too, or the start-up would open the settings window for a first start.
        QFile::copy(fixture.dataFolder + QStringLiteral("Arkivoda_bcklst.txt"),
                    fixture.dataFolder + QStringLiteral("Posao_Arkivoda_bcklst.txt"));
        TGlavni &window = fixture.create({QStringLiteral("arkivoda"), QStringLiteral("Posao")});
        window.setClock([] { return today(QTime(7, 59, 0)); });

        window.AutoTimerTimer();

        QCOMPARE(fixture.desktop.tray.messages.size(), 1);
        QCOMPARE(fixture.desktop.tray.messages.first().title, QStringLiteral("Arkivoda Posao"));
    }

    void theRunStartsInTheTickOfTheSetSecond()
    {
        GlavniFixture fixture(timerSettings("08:00:00"));
        TGlavni &window = fixture.create();
        window.setClock([] { return today(QTime(8, 0, 0, 500)); });
        QString statusAsTheRunBegan;
        bool shownAsTheRunBegan = false;
        window.runController().setHandOverObserver([&](HandOver which) {
            if (which == HandOver::CopySettings) {
                statusAsTheRunBegan = fixture.control<QLabel>("LBL_Status")->text();
                shownAsTheRunBegan = window.isVisible();
            }
        });

        window.AutoTimerTimer();

        QCOMPARE(statusAsTheRunBegan, countdown(QStringLiteral("00:00:00")));
        QVERIFY(shownAsTheRunBegan);
        QCOMPARE(fixture.archives().size(), 1);
        QVERIFY(!window.runState().GLOBAL_ArhiviranjeUTijeku);
        // The run put the schedule back as it found it.
        QVERIFY(window.autoTimer().isActive());
    }

    void aLateTickStartsTheRunOnce()
    {
        GlavniFixture fixture(timerSettings("08:00:00"));
        TGlavni &window = fixture.create();
        QTime now(7, 59, 59);
        window.setClock([&] { return today(now); });
        window.AutoTimerTimer();
        now = QTime(8, 0, 2); // the second of the run was never ticked

        window.AutoTimerTimer();
        QCOMPARE(fixture.archives().size(), 1);
        now = QTime(8, 0, 3);
        window.AutoTimerTimer();

        QCOMPARE(fixture.archives().size(), 1);
        QVERIFY(window.autoTimer().isActive());
        QCOMPARE(window.autoTimer().timerType(), Qt::PreciseTimer);
    }

    // The catch-up, through the clock seam: the last automatic start is on record, the program looks at
    // its start or on a wake-up.
    void catchUp_data()
    {
        QTest::addColumn<QByteArray>("timer");
        QTest::addColumn<QDateTime>("now");
        QTest::addColumn<bool>("runs");
        QTest::addColumn<bool>("unusable"); // the stored start is set aside, and that is said once
        QTest::addColumn<QString>("stored");
        const QByteArray on = "[Timer]\r\nEnabled=1\r\nTime=08:00:00\r\nNadoknadi=1\r\n";
        const QDateTime morning = today(QTime(9, 30, 0));
        QTest::newRow("missed yesterday") << on + "Zadnje=2026-03-12T08:00:03\r\n"
                                          << today(QTime(7, 0, 0)) << true << false << QString();
        QTest::newRow("record not a date") << on + "Zadnje=jučer\r\n"
                                           << morning << true << true << u"jučer"_qs;
        QTest::newRow("schedule off")
            << QByteArray(
                   "[Timer]\r\nEnabled=0\r\nTime=08:00:00\r\nNadoknadi=1\r\nZadnje=2026-03-12T08:00:03\r\n")
            << morning << false << false << QString();
        QTest::newRow("catch-up off")
            << QByteArray("[Timer]\r\nEnabled=1\r\nTime=08:00:00\r\nZadnje=2026-03-12T08:00:03\r\n")
            << morning << false << false << QString();
    }

    void catchUp()
    {
        QFETCH(QByteArray, timer);
        QFETCH(QDateTime, now);
        QFETCH(bool, runs);
        QFETCH(bool, unusable);
        QFETCH(QString, stored);
        GlavniFixture fixture(timer);
        TGlavni &window = fixture.create();
        window.setClock([&] { return now; });

        window.checkMissedRun();

        QCOMPARE(fixture.archives().size(), runs ? 1 : 0);
        const QStringList texts = [&] {
            QStringList all;
            for (const FakeTrayIcon::Message &message : fixture.desktop.tray.messages)
                all << message.text;
            return all;
        }();
        QCOMPARE(texts.contains(QStringLiteral("Propušteno dnevno arhiviranje u 08:00 pokreće se sada")),
                 runs);
        const QString note = QStringLiteral("Zapis zadnjeg automatskog arhiviranja (Timer/Zadnje=") + stored +
                             QStringLiteral(") nije ispravan i zanemaren je.");
        QCOMPARE(texts.count(note), unusable ? 1 : 0);
        if (runs) {
            // The run's start is on record, so the next check finds nothing missed.
            QCOMPARE(ReadRecordedMoment(window.settings(), RecordedMoment::LastAutomaticStart), now);
            window.checkMissedRun();
            QCOMPARE(fixture.archives().size(), 1);
        }
    }

    void theCatchUpLooksAtStartAndOnWakeUp()
    {
        GlavniFixture fixture("[Timer]\r\nEnabled=1\r\nTime=08:00:00\r\nNadoknadi=1\r\n"
                              "Zadnje=2026-03-13T08:00:00\r\n");
        TGlavni &window = fixture.create();
        QDateTime now = today(QTime(9, 0, 0));
        window.setClock([&] { return now; });

        window.showAtStart();
        QVERIFY(fixture.archives().isEmpty()); // not before the window is up
        QTRY_COMPARE(fixture.archives().size(), 1);

        QTest::qWait(1100); // archive names go by the second
        now = now.addDays(1).addSecs(3600);
        emit fixture.desktop.resume.resumed();
        QCOMPARE(fixture.archives().size(), 2);
    }

    // The last good backup in the window and the tray's hint; overdue with the schedule on after two days
    // without one: the icon warns, and one message a day says so.
    void overdue_data()
    {
        QTest::addColumn<int>("daysAgo");
        QTest::addColumn<bool>("schedule");
        QTest::addColumn<QString>("age");
        QTest::addColumn<bool>("overdue");
        QTest::newRow("three days, schedule on") << 3 << true << "prije 3 dana" << true;
        QTest::newRow("three days, schedule off") << 3 << false << "prije 3 dana" << false;
        QTest::newRow("yesterday, schedule on") << 1 << true << "jučer" << false;
        QTest::newRow("a year ahead: no good backup known") << -365 << true << "još nijedno" << false;
    }

    void overdue()
    {
        QFETCH(int, daysAgo);
        QFETCH(bool, schedule);
        QFETCH(QString, age);
        QFETCH(bool, overdue);
        const QDateTime lastGood = QDateTime::currentDateTime().addDays(-daysAgo);
        GlavniFixture fixture(
            timerSettings("08:00:00", schedule) + "[Last]\r\nUspjesno=" +
            lastGood.toOffsetFromUtc(lastGood.offsetFromUtc()).toString(Qt::ISODate).toUtf8() + "\r\n");
        TGlavni &window = fixture.create();
        window.showBackupAge();

        const QString line = QStringLiteral("Zadnje uspješno arhiviranje: ") + age;
        QCOMPARE(fixture.control<QLabel>("LBL_Zadnje")->text(), line);
        QVERIFY(fixture.desktop.tray.toolTip.endsWith(QLatin1Char('\n') + line));
        QCOMPARE(window.backupOverdue(), overdue);
        QCOMPARE(fixture.desktop.tray.messages.size(), overdue ? 1 : 0);
        if (!overdue)
            return;
        QCOMPARE(fixture.desktop.tray.messages.first().text, QStringLiteral("Arhiviranje kasni! ") + line);
        QCOMPARE(fixture.desktop.tray.messages.first().icon, TrayIcon::BalloonIcon::Warning);

        // The next day, one more message; a good run ends the warning.
        window.setClock([] { return QDateTime::currentDateTime().addDays(1); });
        window.showBackupAge();
        window.showBackupAge();
        QCOMPARE(fixture.desktop.tray.messages.size(), 2);
        window.setClock(&QDateTime::currentDateTime);
        window.AutoZClick();
        QVERIFY(!window.backupOverdue());
        QCOMPARE(fixture.control<QLabel>("LBL_Zadnje")->text(),
                 QStringLiteral("Zadnje uspješno arhiviranje: danas"));
    }

    void aRunInProgressAtTheSetTimeStartsNothing()
    {
        GlavniFixture fixture(timerSettings("08:00:00"));
        TGlavni &window = fixture.create();
        window.setClock([] { return today(QTime(8, 0, 0)); });
        QString statusBefore;
        QString statusAfter;
        window.runController().setHandOverObserver([&](HandOver which) {
            if (which == HandOver::FileCount) {
                statusBefore = fixture.control<QLabel>("LBL_Status")->text();
                window.AutoTimerTimer();
                statusAfter = fixture.control<QLabel>("LBL_Status")->text();
            }
        });

        window.AutoZClick();

        QVERIFY(!statusBefore.isEmpty());
        QCOMPARE(statusAfter, statusBefore);
        QCOMPARE(fixture.archives().size(), 1);
        // Only the run's own balloon at its end: no warning and no second run queued.
        QCOMPARE(fixture.desktop.tray.messages.size(), 1);
        QCOMPARE(fixture.desktop.tray.messages.first().icon, TrayIcon::BalloonIcon::Information);
    }

    void aScheduleTurnedOffDoesNothing()
    {
        GlavniFixture fixture(timerSettings("08:00:00", false));
        TGlavni &window = fixture.create();
        window.setClock([] { return today(QTime(8, 0, 0)); });
        const QString idle = fixture.control<QLabel>("LBL_Status")->text();

        window.AutoTimerTimer();

        QCOMPARE(fixture.control<QLabel>("LBL_Status")->text(), idle);
        QVERIFY(fixture.archives().isEmpty());
        QVERIFY(!window.autoTimer().isActive());
    }

    void theTimerTicksTheSchedule()
    {
        GlavniFixture fixture(timerSettings("08:00:00"));
        TGlavni &window = fixture.create();
        window.setClock([] { return today(QTime(7, 0, 0)); });
        QVERIFY(window.autoTimer().isActive());
        QCOMPARE(window.autoTimer().interval(), 1000);

        QTRY_COMPARE_WITH_TIMEOUT(fixture.control<QLabel>("LBL_Status")->text(),
                                  countdown(QStringLiteral("01:00:00")), 3000);
    }
};

QTEST_MAIN(TestAutoTimer)
#include "tst_AutoTimer.moc"
