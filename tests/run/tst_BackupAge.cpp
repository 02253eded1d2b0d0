#include "run/BackupAge.h"

#include <QTest>

// The age of the last good backup in words, and when it is overdue.
class TestBackupAge : public QObject
{
    Q_OBJECT

  private slots:
    void age_data()
    {
        QTest::addColumn<QDateTime>("lastGood");
        QTest::addColumn<QString>("words");
        QTest::addColumn<bool>("overdue");
        const QDate day(2026, 3, 14);
        QTest::newRow("none on record") << QDateTime() << "još nijedno" << false;
        QTest::newRow("this morning") << QDateTime(day, QTime(8, 0)) << "danas" << false;
        QTest::newRow("yesterday, late") << QDateTime(day.addDays(-1), QTime(23, 59)) << "jučer" << false;
        // Two calendar days, but not yet 48 hours.
        QTest::newRow("two days, 33 hours")
            << QDateTime(day.addDays(-2), QTime(23, 0)) << "prije 2 dana" << false;
        QTest::newRow("two days, 48 hours")
            << QDateTime(day.addDays(-2), QTime(8, 0)) << "prije 2 dana" << true;
        QTest::newRow("three days") << QDateTime(day.addDays(-3), QTime(12, 0)) << "prije 3 dana" << true;
        QTest::newRow("eleven days") << QDateTime(day.addDays(-11), QTime(12, 0)) << "prije 11 dana" << true;
        QTest::newRow("twenty-one days")
            << QDateTime(day.addDays(-21), QTime(12, 0)) << "prije 21 dan" << true;
        QTest::newRow("clock set back") << QDateTime(day.addDays(3), QTime(12, 0)) << "danas" << false;
    }

    void age()
    {
        QFETCH(QDateTime, lastGood);
        QFETCH(QString, words);
        QFETCH(bool, overdue);
        const QDateTime now(QDate(2026, 3, 14), QTime(8, 0));
        QCOMPARE(BackupAge::text(lastGood, now), QStringLiteral("Zadnje uspješno arhiviranje: ") + words);
        QCOMPARE(BackupAge::overdue(lastGood, now), overdue);
    }
};

QTEST_GUILESS_MAIN(TestBackupAge)
#include "tst_BackupAge.moc"
