#include "config/MessageTable.h"

#include <QTest>

class TestMessageTable : public QObject
{
    Q_OBJECT

private slots:
    void holdsExactlyTheProgramNumbers()
    {
        for (int number = 64976; number <= 65055; ++number) {
            const bool reserved = (number >= 64980 && number <= 64991) || (number >= 65040 && number <= 65046);
            QCOMPARE(MessageTable::contains(quint16(number)), !reserved);
            QCOMPARE(MessageTable::text(quint16(number)).isEmpty(), reserved);
        }
        QVERIFY(MessageTable::text(1).isEmpty());
    }

    void sharedTextsLiveUnderBothNumbers_data()
    {
        QTest::addColumn<int>("first");
        QTest::addColumn<int>("second");
        QTest::newRow("stop status") << 64993 << 65019;
        QTest::newRow("idle status") << 65015 << 65051;
        QTest::newRow("title with list") << 65016 << 65024;
        QTest::newRow("archive missing") << 65017 << 65018;
    }

    void sharedTextsLiveUnderBothNumbers()
    {
        QFETCH(int, first);
        QFETCH(int, second);
        QCOMPARE(MessageTable::text(quint16(first)), MessageTable::text(quint16(second)));
    }

    void summaryFilledInOrder()
    {
        const QString summary = MessageTable::fill(MessageTable::text(Msg::RunSummary),
                                                   {QStringLiteral("Arhiviranje je izvršeno na mapi"),
                                                    QStringLiteral("/arhiva/"), QStringLiteral("A_1.zip"),
                                                    QStringLiteral("1.234"), QStringLiteral("10,0"),
                                                    QStringLiteral("4,0"), QStringLiteral("60,0%"),
                                                    QStringLiteral("00:01:05")})
                                + QStringLiteral("\r\n");
        QCOMPARE(summary, QStringLiteral("Arhiviranje je izvršeno na mapi\r\n\r\n/arhiva/\r\n\r\nu datoteku\r\n\r\n"
                                         "A_1.zip\r\n\r\nBroj arhiviranih datoteka: 1.234\r\n"
                                         "Ukupna veličina arhiviranih datoteka: 10,0 MB\r\n"
                                         "Veličina arhive: 4,0 MB\r\nPostotak kompresije: 60,0%\r\n"
                                         "Trajanje arhiviranja: 00:01:05\r\n"));
    }

    void fillLeavesSurplusPlaceholdersAndIgnoresSurplusValues()
    {
        QCOMPARE(MessageTable::fill(QStringLiteral("%s i %s"), {QStringLiteral("a")}), QStringLiteral("a i %s"));
        QCOMPARE(MessageTable::fill(QStringLiteral("%s"), {QStringLiteral("%s"), QStringLiteral("b")}),
                 QStringLiteral("%s"));
    }

    void autoRunBalloonNamesTheProgram()
    {
        QVERIFY(MessageTable::text(Msg::BalloonAutoRunSoon).startsWith(QStringLiteral("Arkivoda")));
    }
};

QTEST_GUILESS_MAIN(TestMessageTable)
#include "tst_MessageTable.moc"
