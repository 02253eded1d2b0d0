#include "run/RunState.h"
#include "run/RunSummary.h"

#include <QTest>

class TestRunSummary : public QObject
{
    Q_OBJECT

  private slots:
    void values_data()
    {
        QTest::addColumn<bool>("stopped");
        QTest::addColumn<qint64>("dataBytes");
        QTest::addColumn<qint64>("archiveBytes");
        QTest::addColumn<qint64>("count");
        QTest::addColumn<QString>("headline");
        QTest::addColumn<QString>("dataSize");
        QTest::addColumn<QString>("archiveSize");
        QTest::addColumn<QString>("compression");
        QTest::addColumn<QString>("countText");

        const QString complete = QStringLiteral("Arhiviranje je izvršeno na mapi");
        const QString partial = QStringLiteral("Djelomično arhiviranje je izvršeno na mapi");
        QTest::newRow("10 MB in 4 MB")
            << false << qint64(10485760) << qint64(4194304) << qint64(3) << complete << "10,0"
            << "4,0"
            << "60,0%"
            << "3";
        QTest::newRow("no data") << false << qint64(0) << qint64(22) << qint64(0) << complete << "0,0"
                                 << "0,0"
                                 << "-"
                                 << "0";
        QTest::newRow("archive missing") << false << qint64(0) << qint64(-1) << qint64(0) << complete << "0,0"
                                         << "0,0"
                                         << "-"
                                         << "0";
        QTest::newRow("archive larger than data")
            << true << qint64(1048576) << qint64(2097152) << qint64(1) << partial << "1,0"
            << "2,0"
            << "-100,0%"
            << "1";
        QTest::newRow("thousands") << false << qint64(1294467072) << qint64(0) << qint64(1234567) << complete
                                   << "1.234,5"
                                   << "0,0"
                                   << "100,0%"
                                   << "1.234.567";
    }

    void values()
    {
        QFETCH(bool, stopped);
        QFETCH(qint64, dataBytes);
        QFETCH(qint64, archiveBytes);
        QFETCH(qint64, count);
        RunState state;
        state.PrekidArhiviranja = stopped;
        state.file_size_progress = dataBytes;
        state.file_count_progress = count;
        state.arhiva_file = QStringLiteral("/home/ana/Arhiva/Arhiva_2024.03.15__14.05.09.zip");
        state.proteklo_vrijeme_prikaz = QStringLiteral("00:00:07");

        const RunSummary summary(state, archiveBytes, QLocale(QLocale::Croatian, QLocale::Croatia));
        QTEST(summary.headline(), "headline");
        QTEST(summary.dataSize(), "dataSize");
        QTEST(summary.archiveSize(), "archiveSize");
        QTEST(summary.compression(), "compression");
        QTEST(summary.count(), "countText");
        QCOMPARE(summary.folder(), QStringLiteral("/home/ana/Arhiva/"));
        QCOMPARE(summary.name(), QStringLiteral("Arhiva_2024.03.15__14.05.09.zip"));
        QCOMPARE(summary.duration(), QStringLiteral("00:00:07"));
        QVERIFY(
            summary.text().startsWith(summary.headline() + QStringLiteral("\r\n\r\n/home/ana/Arhiva/\r\n")));
        QVERIFY(summary.text().endsWith(QStringLiteral("Trajanje arhiviranja: 00:00:07\r\n")));
    }

    void elapsedText_data()
    {
        QTest::addColumn<qint64>("seconds");
        QTest::addColumn<QString>("text");
        QTest::newRow("zero") << qint64(0) << "00:00:00";
        QTest::newRow("3725 s") << qint64(3725) << "01:02:05";
        QTest::newRow("25 hours wrap") << qint64(25 * 3600) << "01:00:00";
    }

    void elapsedText()
    {
        QFETCH(qint64, seconds);
        QTEST(RunSummary::elapsedText(seconds), "text");
    }

    void missingReportHeaderOnlyForAutomaticRuns()
    {
        RunState state;
        state.arhiva_file = QStringLiteral("/a/Arhiva_x.zip");
        state.file_missing = 2;
        state.file_missing_list = {QStringLiteral("/nema/a.txt"), QString()};
        QCOMPARE(RunSummary::missingReport(state, true),
                 QStringList({QString(), QStringLiteral("Arhiva: /a/Arhiva_x.zip"), QString(),
                              QStringLiteral("/nema/a.txt"), QString()}));
        QCOMPARE(RunSummary::missingReport(state, false), state.file_missing_list);
        QCOMPARE(RunSummary::missingWarning(2),
                 QStringLiteral(
                     "Tijekom arhiviranja 2 datoteke ili mape su\r\nbile nedostupne iz nekog razloga!"));
    }
};

QTEST_GUILESS_MAIN(TestRunSummary)
#include "tst_RunSummary.moc"
