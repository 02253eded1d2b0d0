#include "platform/LogindSleepInhibitor.h"

#include "PrivateSystemBus.h"

#include <QDBusConnection>
#include <QTest>

#include <memory>

using namespace Qt::StringLiterals;

// The run's inhibitor lock, against a fake logind on a private bus that logs each Inhibit call, each
// lock it grants and the moment each lock's descriptor is closed.
class TestLogindSleepInhibitor : public QObject
{
    Q_OBJECT

  private slots:
    void theLockLastsUntilReleased_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QStringList>("modes");
        QTest::addColumn<bool>("byDestruction");

        QTest::newRow("block") << QStringList() << QStringList{u"block"_s} << false;
        QTest::newRow("block not allowed: delay")
            << QStringList{u"--refuse-block"_s} << QStringList{u"block"_s, u"delay"_s} << false;
        QTest::newRow("ended with its owner") << QStringList() << QStringList{u"block"_s} << true;
    }

    void theLockLastsUntilReleased()
    {
        QFETCH(QStringList, options);
        QFETCH(QStringList, modes);
        QFETCH(bool, byDestruction);
        PrivateSystemBus bus(options);
        QVERIFY(bus.isUp());
        const QString name = u"inhibitor-"_s + QString::fromLatin1(QTest::currentDataTag());
        {
            auto inhibitor =
                std::make_unique<LogindSleepInhibitor>(QDBusConnection::connectToBus(bus.address(), name));
            inhibitor->hold(u"Arhiviranje u tijeku"_s);
            QVERIFY(bus.waitForLine(u"granted 1"_s));
            QTRY_VERIFY(inhibitor->isHeld());
            QTest::qWait(100);
            QVERIFY(!bus.log().contains(u"released 1"_s));
            QStringList expected;
            for (const QString &mode : modes)
                expected << u"Inhibit sleep:shutdown|Arkivoda|Arhiviranje u tijeku|"_s + mode;
            expected << u"granted 1"_s;
            QCOMPARE(bus.log(), expected);

            if (byDestruction) {
                inhibitor.reset();
            } else {
                inhibitor->release();
                QVERIFY(!inhibitor->isHeld());
            }
            QVERIFY(bus.waitForLine(u"released 1"_s));
        }
        QDBusConnection::disconnectFromBus(name);
    }

    // A run shorter than logind's answer: the lock that comes after the release is dropped at once.
    void aLockGrantedAfterTheReleaseIsDropped()
    {
        PrivateSystemBus bus;
        QVERIFY(bus.isUp());
        {
            LogindSleepInhibitor inhibitor(QDBusConnection::connectToBus(bus.address(), u"late"_s));
            inhibitor.hold(u"Arhiviranje u tijeku"_s);
            inhibitor.release();
            QVERIFY(bus.waitForLine(u"granted 1"_s));
            QVERIFY(bus.waitForLine(u"released 1"_s));
            QVERIFY(!inhibitor.isHeld());
        }
        QDBusConnection::disconnectFromBus(u"late"_s);
    }

    // Without logind, or without a bus at all, the run goes on without a lock and nothing waits.
    void withoutLogindNothingIsHeld()
    {
        PrivateSystemBus bus({}, false);
        QVERIFY(bus.isUp());
        {
            LogindSleepInhibitor onBusWithoutLogind(QDBusConnection::connectToBus(bus.address(), u"bare"_s));
            LogindSleepInhibitor withoutBus(
                QDBusConnection::connectToBus(u"unix:path=/nonexistent/bus"_s, u"none"_s));
            for (LogindSleepInhibitor *inhibitor : {&onBusWithoutLogind, &withoutBus}) {
                inhibitor->hold(u"Arhiviranje u tijeku"_s);
                QTest::qWait(200);
                QVERIFY(!inhibitor->isHeld());
                inhibitor->release();
            }
        }
        QDBusConnection::disconnectFromBus(u"bare"_s);
        QDBusConnection::disconnectFromBus(u"none"_s);
    }
};

QTEST_GUILESS_MAIN(TestLogindSleepInhibitor)
#include "tst_LogindSleepInhibitor.moc"
