#include "run/Percent.h"

#include <QTest>

// The whole percent the bars and the title show.
class TestPercent : public QObject
{
    Q_OBJECT

  private slots:
    void percentRoundsHalvesToEven_data()
    {
        QTest::addColumn<qint64>("part");
        QTest::addColumn<qint64>("whole");
        QTest::addColumn<int>("percent");
        QTest::newRow("12.5") << qint64(125) << qint64(1000) << 12;
        QTest::newRow("37.5") << qint64(375) << qint64(1000) << 38;
        QTest::newRow("grown file") << qint64(1500) << qint64(1000) << 150;
        QTest::newRow("huge") << (qint64(1) << 60) << (qint64(1) << 61) << 50;
    }

    void percentRoundsHalvesToEven()
    {
        QFETCH(qint64, part);
        QFETCH(qint64, whole);
        QTEST(percentOf(part, whole), "percent");
    }
};

QTEST_GUILESS_MAIN(TestPercent)
#include "tst_Percent.moc"
