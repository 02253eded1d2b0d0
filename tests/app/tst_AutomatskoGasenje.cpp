#include "app/TGasenjeBox.h"
#include "app/WinExit.h"
#include "run/RunState.h"

#include "GlavniFixture.h"
#include "ModalDriver.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

using namespace Qt::StringLiterals;

// The end-of-run step: the three exclusive boxes, the countdown box and the action that follows it,
// with the session end recorded by a fake so that no test ends a session.
class TestAutomatskoGasenje : public QObject
{
    Q_OBJECT

    // What a countdown box showed when it came up, and how it was left.
    struct Seen
    {
        QString pwr;
        QString timeLeft;
        bool defaultCancel = false;
    };
    static Seen look(QWidget *box)
    {
        return {box->findChild<QLabel *>(QStringLiteral("LBL_pwr"))->text(),
                box->findChild<QLabel *>(QStringLiteral("LBL_TimeLeft"))->text(),
                box->findChild<QPushButton *>(QStringLiteral("BTN_Cancel"))->isDefault()};
    }

  private slots:
    void initTestCase()
    {
        QCoreApplication::setApplicationName(QStringLiteral("Arkivoda"));
        qputenv("ARKIVODA_START_DELAY_MS", "0");
        // The countdowns of these tests tick every 2 ms instead of every second.
        TGasenjeBox::setTickInterval(std::chrono::milliseconds(2));
    }

    void theBoxesAreExclusive_data()
    {
        QTest::addColumn<QStringList>("clicks");
        QTest::addColumn<QString>("ticked");

        QTest::newRow("shutdown, then log off")
            << QStringList{u"CB_Shutdown"_s, u"CB_Logoff"_s} << "CB_Logoff";
        QTest::newRow("log off, then close") << QStringList{u"CB_Logoff"_s, u"CB_Close"_s} << "CB_Close";
        QTest::newRow("close, then shutdown")
            << QStringList{u"CB_Close"_s, u"CB_Shutdown"_s} << "CB_Shutdown";
        QTest::newRow("ticked and cleared") << QStringList{u"CB_Shutdown"_s, u"CB_Shutdown"_s} << "";
        QTest::newRow("cleared one leaves the others")
            << QStringList{u"CB_Close"_s, u"CB_Logoff"_s, u"CB_Logoff"_s} << "";
    }

    void theBoxesAreExclusive()
    {
        QFETCH(QStringList, clicks);
        QFETCH(QString, ticked);
        GlavniFixture fixture;
        fixture.create();
        for (const QString &name : clicks)
            fixture.control<QCheckBox>(name.toLatin1().constData())->click();
        for (const char *name : {"CB_Close", "CB_Shutdown", "CB_Logoff"})
            QCOMPARE(fixture.control<QCheckBox>(name)->isChecked(), ticked == QLatin1String(name));
    }

    void noBoxNoCountdown()
    {
        GlavniFixture fixture;
        TGlavni &window = fixture.create();
        window.show();
        QSignalSpy closed(&window, &TGlavni::closed);
        ModalDriver driver([](QWidget *box) { box->close(); }, QStringLiteral("GasenjeBox"));

        window.AutomatskoGasenje();

        QVERIFY(!driver.acted());
        QCOMPARE(closed.count(), 0);
        QVERIFY(fixture.desktop.session.calls.isEmpty());
    }

    void closingAMinimisedWindowNeedsNoCountdown_data()
    {
        QTest::addColumn<bool>("hiddenToTray");
        QTest::newRow("minimised") << false;
        QTest::newRow("hidden to the tray") << true;
    }

    void closingAMinimisedWindowNeedsNoCountdown()
    {
        QFETCH(bool, hiddenToTray);
        // Closing would otherwise only minimise the window.
        GlavniFixture fixture("[Program]\r\nCloseToTray=1\r\nStartToTray=1\r\n");
        fixture.desktop.tray.available = true;
        TGlavni &window = fixture.create();
        window.showMinimized();
        if (hiddenToTray)
            window.hide();
        fixture.control<QCheckBox>("CB_Close")->click();
        QSignalSpy closed(&window, &TGlavni::closed);
        ModalDriver driver([](QWidget *box) { box->close(); }, QStringLiteral("GasenjeBox"));

        window.AutomatskoGasenje();

        QCOMPARE(closed.count(), 1);
        QVERIFY(!driver.acted());
        QVERIFY(fixture.desktop.session.calls.isEmpty());
    }

    void theCountdownEndsInTheAction_data()
    {
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("pwr");
        QTest::addColumn<QStringList>("sessionCalls");
        QTest::addColumn<bool>("programEnds");

        QTest::newRow("close") << "CB_Close"
                               << "Preostalo vrijeme do zatvaranja programa" << QStringList() << true;
        QTest::newRow("shutdown") << "CB_Shutdown"
                                  << "Preostalo vrijeme do gašenja računala" << QStringList{u"PowerOff"_s}
                                  << false;
        QTest::newRow("log off") << "CB_Logoff"
                                 << "Preostalo vrijeme do odjave korisnika"
                                 << QStringList{u"TerminateSession"_s} << false;
    }

    void theCountdownEndsInTheAction()
    {
        QFETCH(QString, box);
        QFETCH(QString, pwr);
        QFETCH(QStringList, sessionCalls);
        QFETCH(bool, programEnds);
        // Closing is not turned into minimising at the end of a countdown either.
        GlavniFixture fixture("[Program]\r\nCloseToTray=1\r\n");
        TGlavni &window = fixture.create();
        window.show();
        fixture.control<QCheckBox>(box.toLatin1().constData())->click();
        QSignalSpy closed(&window, &TGlavni::closed);
        Seen seen;
        QStringList callsDuringCountdown;
        ModalDriver driver(
            [&](QWidget *countdown) {
                seen = look(countdown);
                callsDuringCountdown = fixture.desktop.session.calls;
            },
            QStringLiteral("GasenjeBox"));

        window.AutomatskoGasenje();

        QVERIFY(driver.acted());
        QCOMPARE(seen.pwr, pwr);
        QVERIFY(seen.defaultCancel);
        QVERIFY(callsDuringCountdown.isEmpty());
        QCOMPARE(fixture.desktop.session.calls, sessionCalls);
        QCOMPARE(closed.count(), programEnds ? 1 : 0);
        QVERIFY(!window.gasenjeBox());
    }

    void cancelling_data()
    {
        QTest::addColumn<bool>("byEnter");
        QTest::newRow("Prekini") << false;
        QTest::newRow("Enter") << true;
    }

    void cancelling()
    {
        QFETCH(bool, byEnter);
        GlavniFixture fixture;
        TGlavni &window = fixture.create();
        window.show();
        fixture.control<QCheckBox>("CB_Shutdown")->click();
        QSignalSpy closed(&window, &TGlavni::closed);
        // The countdown is long enough here for the cancel to come first.
        TGasenjeBox::setTickInterval(std::chrono::seconds(1));
        const auto cancel = [byEnter](QWidget *box) {
            if (byEnter)
                QTest::keyClick(box, Qt::Key_Return);
            else
                box->findChild<QPushButton *>(QStringLiteral("BTN_Cancel"))->click();
        };

        for (int run = 0; run < 2; ++run) {
            ModalDriver driver(cancel, QStringLiteral("GasenjeBox"));
            window.AutomatskoGasenje();
            QVERIFY(driver.acted());
            QVERIFY(fixture.desktop.session.calls.isEmpty());
            // The choice stays for the next run, which counts down the same way.
            QVERIFY(fixture.control<QCheckBox>("CB_Shutdown")->isChecked());
        }
        TGasenjeBox::setTickInterval(std::chrono::milliseconds(2));
        QVERIFY(fixture.desktop.session.calls.isEmpty());
        QCOMPARE(closed.count(), 0);
        QVERIFY(window.isVisible());
    }

    void theAnswerComesLater_data()
    {
        QTest::addColumn<QString>("box");
        QTest::addColumn<bool>("available");
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<QStringList>("sessionCalls");
        QTest::addColumn<QString>("reported");

        QTest::newRow("shutdown accepted")
            << "CB_Shutdown" << true << true << QStringList{u"PowerOff"_s} << "";
        QTest::newRow("shutdown refused")
            << "CB_Shutdown" << true << false << QStringList{u"PowerOff"_s}
            << "Sustav nije prihvatio zahtjev za gašenje računala:\r\nInteractive authentication required.";
        QTest::newRow("log off refused")
            << "CB_Logoff" << true << false << QStringList{u"TerminateSession"_s}
            << "Sustav nije prihvatio zahtjev za odjavu korisnika:\r\nInteractive authentication required.";
        QTest::newRow("no session manager") << "CB_Shutdown" << false << false << QStringList()
                                            << "Sustav nije prihvatio zahtjev za gašenje "
                                               "računala:\r\nupravitelj sesija (systemd-logind) nije "
                                               "dostupan.";
    }

    // The request returns at once, the window idle and live while the platform asks the user; a
    // refusal is reported with the platform's own words and leaves the program open.
    void theAnswerComesLater()
    {
        QFETCH(QString, box);
        QFETCH(bool, available);
        QFETCH(bool, accepted);
        QFETCH(QStringList, sessionCalls);
        QFETCH(QString, reported);
        GlavniFixture fixture;
        fixture.desktop.session.available = available;
        fixture.desktop.session.answerAtOnce.reset();
        TGlavni &window = fixture.create();
        window.show();
        fixture.control<QCheckBox>(box.toLatin1().constData())->click();
        QSignalSpy closed(&window, &TGlavni::closed);

        window.AutomatskoGasenje();
        QCOMPARE(fixture.desktop.session.calls, sessionCalls);
        if (available) {
            QVERIFY(fixture.dialogs.isEmpty());
            QVERIFY(
                fixture.desktop.session.answerNext({accepted, u"Interactive authentication required."_s}));
        }

        QCOMPARE(fixture.dialogs.size(), reported.isEmpty() ? 0 : 1);
        if (!reported.isEmpty()) {
            QCOMPARE(fixture.dialogs.first().caption, u"Greška"_s);
            QCOMPARE(fixture.dialogs.first().text, reported);
        }
        QCOMPARE(closed.count(), 0);
        QVERIFY(window.isVisible());
    }

    // A countdown that ends while the platform still asks about the last request sends no second one.
    void oneRequestAtATime()
    {
        GlavniFixture fixture;
        fixture.desktop.session.answerAtOnce.reset();
        TGlavni &window = fixture.create();
        window.show();
        fixture.control<QCheckBox>("CB_Shutdown")->click();

        window.AutomatskoGasenje();
        window.AutomatskoGasenje();
        QCOMPARE(fixture.desktop.session.calls, QStringList{u"PowerOff"_s});
        QVERIFY(fixture.desktop.session.answerNext({false, u"Cancelled"_s}));
        window.AutomatskoGasenje();
        QCOMPARE(fixture.desktop.session.calls, (QStringList{u"PowerOff"_s, u"PowerOff"_s}));
    }

    // A scheduled run that falls due during the countdown of the run before takes the countdown over:
    // the action follows the later run's own countdown, once.
    void aScheduledRunDuringTheCountdownActsOnce()
    {
        GlavniFixture fixture;
        TGlavni &window = fixture.create();
        window.show();
        fixture.control<QCheckBox>("CB_Shutdown")->click();
        // Long enough for the scheduled run to start while the first countdown is open.
        TGasenjeBox::setTickInterval(std::chrono::milliseconds(50));
        int countdowns = 0;
        QStringList callsWhenSecondCountdownOpened;
        std::unique_ptr<ModalDriver> second;
        ModalDriver first(
            [&](QWidget *) {
                ++countdowns;
                second = std::make_unique<ModalDriver>(
                    [&](QWidget *) {
                        ++countdowns;
                        callsWhenSecondCountdownOpened = fixture.desktop.session.calls;
                    },
                    QStringLiteral("GasenjeBox"));
                // What the daily schedule's tick calls when the set time comes.
                window.AutoZClick();
            },
            QStringLiteral("GasenjeBox"));

        window.AutomatskoGasenje();
        TGasenjeBox::setTickInterval(std::chrono::milliseconds(2));

        QCOMPARE(countdowns, 2);
        QVERIFY(callsWhenSecondCountdownOpened.isEmpty());
        QCOMPARE(fixture.archives().size(), 1);
        QCOMPARE(fixture.desktop.session.calls, QStringList{u"PowerOff"_s});
        QVERIFY(!window.gasenjeBox());
    }

    void aRunEndsWithTheCountdown()
    {
        GlavniFixture fixture;
        TGlavni &window = fixture.create();
        window.show();
        window.runController().setHandOverObserver([&](RunController::HandOver which) {
            if (which == RunController::HandOver::FileCount)
                fixture.control<QCheckBox>("CB_Shutdown")->click();
        });
        bool idleDuringCountdown = false;
        ModalDriver driver(
            [&](QWidget *) {
                idleDuringCountdown = !window.runState().GLOBAL_ArhiviranjeUTijeku &&
                                      fixture.control("CB_Shutdown")->isHidden();
            },
            QStringLiteral("GasenjeBox"));

        window.AutoZClick();

        QVERIFY(driver.acted());
        QVERIFY(idleDuringCountdown);
        QCOMPARE(fixture.archives().size(), 1);
        // The summary is not shown when an end-of-run action is chosen.
        QVERIFY(fixture.dialogs.isEmpty());
        QCOMPARE(fixture.desktop.session.calls, QStringList{u"PowerOff"_s});
    }

    void countdownBox_data()
    {
        QTest::addColumn<QString>("event");
        QTest::addColumn<int>("counter");
        QTest::addColumn<QString>("pwr");
        QTest::addColumn<int>("seconds");

        QTest::newRow("close") << "CLOSE" << 5000 << "Preostalo vrijeme do zatvaranja programa" << 5;
        QTest::newRow("shutdown") << "SHUTDOWN" << 20000 << "Preostalo vrijeme do gašenja računala" << 20;
        QTest::newRow("log off") << "LOGOFF" << 20000 << "Preostalo vrijeme do odjave korisnika" << 20;
        QTest::newRow("no action") << "" << 5000 << "" << 5;
    }

    void aRefusedAttemptEndsWithTheEarlierChoice()
    {
        GlavniFixture fixture;
        TGlavni &window = fixture.create();
        window.show();
        // Ticked during an earlier run; this attempt stops at its check of the archive folder.
        fixture.control<QCheckBox>("CB_Logoff")->click();
        QVERIFY(QDir(fixture.archiveFolder).removeRecursively());
        ModalDriver driver([](QWidget *) {}, QStringLiteral("GasenjeBox"));

        window.AutoZClick();

        QCOMPARE(fixture.dialogs.size(), 1);
        QCOMPARE(fixture.dialogs.first().caption, QStringLiteral("Greška"));
        QVERIFY(driver.acted());
        QCOMPARE(fixture.desktop.session.calls, QStringList{u"TerminateSession"_s});
    }

    // Ticked by hand: N seconds show N " s" down to 1, and the next tick closes the box.
    void countdownBox()
    {
        QFETCH(QString, event);
        QFETCH(int, counter);
        QFETCH(QString, pwr);
        QFETCH(int, seconds);
        const EndOfRunAction action = event == u"CLOSE"_s      ? EndOfRunAction::Close
                                      : event == u"SHUTDOWN"_s ? EndOfRunAction::Shutdown
                                      : event == u"LOGOFF"_s   ? EndOfRunAction::LogOff
                                                               : EndOfRunAction::None;
        TGasenjeBox::setTickInterval(std::chrono::hours(1));
        TGasenjeBox box(action, counter, nullptr);
        TGasenjeBox::setTickInterval(std::chrono::milliseconds(2));
        box.show();
        QVERIFY(QTest::qWaitForWindowExposed(&box));
        auto *timeLeft = box.findChild<QLabel *>(QStringLiteral("LBL_TimeLeft"));
        QCOMPARE(box.findChild<QLabel *>(QStringLiteral("LBL_pwr"))->text(), pwr);

        QCOMPARE(box.size(), QSize(437, 158));
        QVERIFY(box.windowFlags().testFlag(Qt::FramelessWindowHint));
        QVERIFY(timeLeft->font().bold());
        const QImage picture = box.grab().toImage();
        QCOMPARE(picture.pixelColor(2, 2), QColor(Qt::red));
        QCOMPARE(picture.pixelColor(436 - 4, 157 - 4), QColor(Qt::red));
        QCOMPARE(picture.pixelColor(6, 6), QColor(Qt::white));
        QCOMPARE(picture.pixelColor(431, 152), QColor(Qt::white));
        // The cancel button is the only control that takes the focus.
        QPushButton *cancel = box.findChild<QPushButton *>(QStringLiteral("BTN_Cancel"));
        for (QWidget *child : box.findChildren<QWidget *>())
            QCOMPARE(child->focusPolicy() != Qt::NoFocus, child == cancel);
        QCOMPARE(cancel->text(), QStringLiteral("&Prekini"));

        // Escape would end the countdown without cancelling it: it does nothing.
        QTest::keyClick(&box, Qt::Key_Escape);
        QVERIFY(box.isVisible());

        QStringList shown{timeLeft->text()};
        for (int tick = 1; tick < seconds; ++tick) {
            box.CloseTimerTimer();
            shown << timeLeft->text();
        }
        QStringList expected;
        for (int second = seconds; second >= 1; --second)
            expected << QString::number(second) + u" s"_s;
        QCOMPARE(shown, expected);
        QVERIFY(box.isVisible());
        box.CloseTimerTimer();
        QVERIFY(!box.isVisible());
        QVERIFY(!box.Cancelled());
    }

    void winExit_data()
    {
        QTest::addColumn<unsigned>("flags");
        QTest::addColumn<bool>("available");
        QTest::addColumn<QStringList>("calls");
        QTest::addColumn<bool>("requested");

        QTest::newRow("shutdown") << EWX_SHUTDOWN << true << QStringList{u"PowerOff"_s} << true;
        QTest::newRow("log off") << EWX_LOGOFF << true << QStringList{u"TerminateSession"_s} << true;
        QTest::newRow("no session manager") << EWX_SHUTDOWN << false << QStringList() << false;
        QTest::newRow("reboot is not offered") << 2u << true << QStringList() << false;
    }

    // WinExit only makes the request; the platform's answer reaches the caller's handler later.
    void winExit()
    {
        QFETCH(unsigned, flags);
        QFETCH(bool, available);
        QFETCH(QStringList, calls);
        QFETCH(bool, requested);
        FakeDesktop::Session session;
        session.available = available;
        session.answerAtOnce.reset();
        QObject context;
        QList<SessionEnd::Answer> answers;

        QCOMPARE(WinExit(session, flags, &context, [&](const SessionEnd::Answer &a) { answers << a; }),
                 requested);
        QCOMPARE(session.calls, calls);
        QVERIFY(answers.isEmpty());
        QCOMPARE(session.answerNext({false, u"Access denied"_s}), requested);
        QCOMPARE(answers.size(), requested ? 1 : 0);
        if (requested)
            QCOMPARE(answers.first().reason, u"Access denied"_s);
    }
};

QTEST_MAIN(TestAutomatskoGasenje)
#include "tst_AutomatskoGasenje.moc"
