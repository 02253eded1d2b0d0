#include "config/StoredText.h"

#include <QStringDecoder>
#include <QtTest>

class TestStoredText : public QObject
{
    Q_OBJECT

  private slots:
    void windows1250MatchesIcu();
    void truncatedUtf8FallsBackToWindows1250();
};

void TestStoredText::windows1250MatchesIcu()
{
    QStringDecoder icu("windows-1250");
    if (!icu.isValid())
        QSKIP("this Qt build has no ICU conversion for windows-1250 to compare with");
    for (int byte = 0; byte < 256; ++byte) {
        const QByteArray one(1, char(byte));
        QCOMPARE(StoredText::decodeWindows1250(one), icu.decode(one));
    }
}

void TestStoredText::truncatedUtf8FallsBackToWindows1250()
{
    // The first byte of a two-byte UTF-8 sequence at the very end: invalid UTF-8, so Windows-1250.
    QCOMPARE(StoredText::decodeLine("ab\xC4"), u"abÄ"_qs);
    QCOMPARE(StoredText::decodeLine("ab\xC4\x8D"), u"abč"_qs);
}

QTEST_GUILESS_MAIN(TestStoredText)
#include "tst_StoredText.moc"
