#include "app/EndOfRunStep.h"

#include "app/TGasenjeBox.h"
#include "config/MessageTable.h"

#include "FakeDesktop.h"
#include "ModalDriver.h"

#include <QSignalSpy>
#include <QTest>
#include <QWidget>

using namespace Qt::StringLiterals;

// The end-of-run step over a bare window: whether a countdown comes first, what is asked of the
// session manager, and what is told back, with the session end recorded by a fake.
class TestEndOfRunStep : public QObject
{
    Q_OBJECT

  private slots:
    void initTestCase()
    {
        QCoreApplication::setApplicationName(QStringLiteral("Arkivoda"));
        // The countdowns of these tests tick every 2 ms instead of every second.
        TGasenjeBox::setTickInterval(std::chrono::milliseconds(2));
    }

    void theActionFollowsTheCountdown_data()
    {
        QTest::addColumn<int>("actionValue"); // an EndOfRunAction
        QTest::addColumn<bool>("windowShown");
        QTest::addColumn<bool>("available"); // there is a session manager
        QTest::addColumn<bool>("accepted");  // its answer
        QTest::addColumn<bool>("countdown");
        QTest::addColumn<QStringList>("calls");
        QTest::addColumn<bool>("closes");
        QTest::addColumn<QString>("refusal"); // the reason told, empty when none
        const QString noManager = MessageTable::text(Msg::ErrorNoSessionManager);

        QTest::newRow("nothing chosen") << int(EndOfRunAction::None) << true << true << true << false
                                        << QStringList() << false << QString();
        QTest::newRow("close a shown window") << int(EndOfRunAction::Close) << true << true << true << true
                                              << QStringList() << true << QString();
        QTest::newRow("close a hidden window") << int(EndOfRunAction::Close) << false << true << true << false
                                               << QStringList() << true << QString();
        QTest::newRow("shutdown accepted") << int(EndOfRunAction::Shutdown) << true << true << true << true
                                           << QStringList{u"PowerOff"_s} << false << QString();
        QTest::newRow("shutdown of a hidden window")
            << int(EndOfRunAction::Shutdown) << false << true << true << true << QStringList{u"PowerOff"_s}
            << false << QString();
        QTest::newRow("log off refused") << int(EndOfRunAction::LogOff) << true << true << false << true
                                         << QStringList{u"TerminateSession"_s} << false << u"Access denied"_s;
        QTest::newRow("no session manager") << int(EndOfRunAction::Shutdown) << true << false << false << true
                                            << QStringList() << false << noManager;
    }

    void theActionFollowsTheCountdown()
    {
        QFETCH(int, actionValue);
        const auto action = static_cast<EndOfRunAction>(actionValue);
        QFETCH(bool, windowShown);
        QFETCH(bool, available);
        QFETCH(bool, accepted);
        QFETCH(bool, countdown);
        QFETCH(QStringList, calls);
        QFETCH(bool, closes);
        QFETCH(QString, refusal);
        QWidget window;
        if (windowShown)
            window.show();
        FakeDesktop::Session session;
        session.available = available;
        session.answerAtOnce = SessionEnd::Answer{accepted, u"Access denied"_s};
        EndOfRunStep step(session, &window);
        QSignalSpy closeRequested(&step, &EndOfRunStep::closeRequested);
        QSignalSpy refused(&step, &EndOfRunStep::sessionEndRefused);
        QStringList callsDuringCountdown;
        ModalDriver driver(
            [&](QWidget *box) {
                QCOMPARE(step.countdownBox(), box);
                callsDuringCountdown = session.calls;
            },
            u"GasenjeBox"_s);

        step.start(action);

        QCOMPARE(driver.acted(), countdown);
        QVERIFY(callsDuringCountdown.isEmpty());
        QCOMPARE(session.calls, calls);
        QCOMPARE(closeRequested.size(), closes ? 1 : 0);
        QCOMPARE(refused.size(), refusal.isEmpty() ? 0 : 1);
        if (!refusal.isEmpty()) {
            QCOMPARE(refused.first().at(0).value<EndOfRunAction>(), action);
            QCOMPARE(refused.first().at(1).toString(), refusal);
        }
    }

    // A cancelled countdown, by the user or by a run that starts meanwhile, carries nothing out.
    void aCancelledCountdownDoesNothing()
    {
        QWidget window;
        window.show();
        FakeDesktop::Session session;
        EndOfRunStep step(session, &window);
        QSignalSpy closeRequested(&step, &EndOfRunStep::closeRequested);
        ModalDriver driver([&](QWidget *) { step.cancelCountdown(); }, u"GasenjeBox"_s);

        step.start(EndOfRunAction::Shutdown);
        step.cancelCountdown(); // none open: nothing to do
        step.start(EndOfRunAction::None);

        QVERIFY(driver.acted());
        QVERIFY(session.calls.isEmpty());
        QCOMPARE(closeRequested.size(), 0);
        QVERIFY(!step.countdownBox());
    }

    // While the session manager still asks the user about a request, the next countdown asks nothing.
    void oneRequestAtATime()
    {
        QWidget window;
        FakeDesktop::Session session;
        session.answerAtOnce.reset();
        EndOfRunStep step(session, &window);
        QSignalSpy refused(&step, &EndOfRunStep::sessionEndRefused);

        step.start(EndOfRunAction::Shutdown);
        step.start(EndOfRunAction::Shutdown);
        QCOMPARE(session.calls, QStringList{u"PowerOff"_s});
        QVERIFY(session.answerNext({false, u"Cancelled"_s}));
        QCOMPARE(refused.size(), 1);
        step.start(EndOfRunAction::LogOff);

        QCOMPARE(session.calls, (QStringList{u"PowerOff"_s, u"TerminateSession"_s}));
    }
};

QTEST_MAIN(TestEndOfRunStep)
#include "tst_EndOfRunStep.moc"
