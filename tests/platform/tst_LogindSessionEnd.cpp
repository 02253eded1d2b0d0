#include "platform/LogindSessionEnd.h"

#include "PrivateSystemBus.h"

#include <QDBusConnection>
#include <QElapsedTimer>
#include <QTest>

#include <optional>

using namespace Qt::StringLiterals;

// Shutdown and log-off through logind, against a fake logind on a private bus: the request returns at
// once while the answer is awaited, and a refusal carries the session manager's own words.
class TestLogindSessionEnd : public QObject
{
    Q_OBJECT

  private slots:
    void theAnswerComesLater_data()
    {
        QTest::addColumn<bool>("shutdown");
        QTest::addColumn<QString>("refusal");
        QTest::addColumn<QString>("logged");

        QTest::newRow("power off accepted") << true << ""
                                            << "PowerOff true";
        QTest::newRow("power off refused") << true << "Interactive authentication required."
                                           << "PowerOff true";
        QTest::newRow("log off accepted") << false << ""
                                          << "TerminateSession 7";
        QTest::newRow("log off refused") << false << "Access denied"
                                         << "TerminateSession 7";
    }

    void theAnswerComesLater()
    {
        QFETCH(bool, shutdown);
        QFETCH(QString, refusal);
        QFETCH(QString, logged);
        // The answer takes 1.5 s, as while the user reads the authorisation dialog.
        QStringList options{u"--delay-ms"_s, u"1500"_s};
        if (!refusal.isEmpty())
            options << u"--refuse"_s << refusal;
        PrivateSystemBus bus(options);
        QVERIFY(bus.isUp());
        const QString name = u"session-end-"_s + QString::fromLatin1(QTest::currentDataTag());
        {
            LogindSessionEnd session(QDBusConnection::connectToBus(bus.address(), name));
            QVERIFY(session.isAvailable());
            QObject context;
            std::optional<SessionEnd::Answer> answer;
            const auto answered = [&](const SessionEnd::Answer &given) { answer = given; };

            QElapsedTimer clock;
            clock.start();
            if (shutdown)
                session.PowerOff(&context, answered);
            else
                session.TerminateSession(&context, answered);
            QVERIFY(clock.elapsed() < 500);
            QVERIFY(!answer);

            QVERIFY(bus.waitForLine(logged));
            QTRY_VERIFY_WITH_TIMEOUT(answer.has_value(), 10000);
            QVERIFY(clock.elapsed() >= 1400);
            QCOMPARE(answer->accepted, refusal.isEmpty());
            QCOMPARE(answer->reason, refusal);
        }
        QDBusConnection::disconnectFromBus(name);
    }

    // An answer for a window that has gone meanwhile goes nowhere.
    void anAnswerWithoutItsContextIsDropped()
    {
        PrivateSystemBus bus({u"--delay-ms"_s, u"300"_s});
        QVERIFY(bus.isUp());
        {
            LogindSessionEnd session(QDBusConnection::connectToBus(bus.address(), u"dropped"_s));
            bool answered = false;
            auto context = std::make_unique<QObject>();
            session.PowerOff(context.get(), [&](const SessionEnd::Answer &) { answered = true; });
            context.reset();
            QVERIFY(bus.waitForLine(u"PowerOff true"_s));
            QTest::qWait(600);
            QVERIFY(!answered);
        }
        QDBusConnection::disconnectFromBus(u"dropped"_s);
    }

    void withoutLogindNothingIsAvailable()
    {
        PrivateSystemBus bus({}, false);
        QVERIFY(bus.isUp());
        {
            LogindSessionEnd onBusWithoutLogind(QDBusConnection::connectToBus(bus.address(), u"bare"_s));
            QVERIFY(!onBusWithoutLogind.isAvailable());
            LogindSessionEnd withoutBus(
                QDBusConnection::connectToBus(u"unix:path=/nonexistent/bus"_s, u"none"_s));
            QVERIFY(!withoutBus.isAvailable());
        }
        QDBusConnection::disconnectFromBus(u"bare"_s);
        QDBusConnection::disconnectFromBus(u"none"_s);
    }
};

QTEST_GUILESS_MAIN(TestLogindSessionEnd)
#include "tst_LogindSessionEnd.moc"
