#include "config/EConfigError.h"
#include "config/StringGrid.h"
#include "config/SystemReason.h"

#include "FileSizeLimit.h"
#include "TempTree.h"

#include <QDir>
#include <QFile>
#include <QtTest>

#include <cerrno>
#include <cstring>

class TestStringGrid : public QObject
{
    Q_OBJECT

  private slots:
    void load_data();
    void load();
    void emptyFileDiffersFromMissingFile();
    void missingFileRaisesWithFileName();
    void saveWritesUtf8CrLfWithoutBom();
    void pathsInAnyAlphabetSurviveSaveAndLoad();
    void saveReplacesTheWholeFile();
    void failedSaveRaisesWithFileName_data();
    void failedSaveRaisesWithFileName();
    void fullDiskLeavesTheOldList();
};

namespace {
QByteArray utf16(const char16_t *text, bool bigEndian)
{
    QByteArray bytes = bigEndian ? QByteArray("\xFE\xFF") : QByteArray("\xFF\xFE");
    for (const char16_t *p = text; *p; ++p) {
        const char high = char(*p >> 8), low = char(*p & 0xFF);
        bytes += bigEndian ? QByteArray{&high, 1} + QByteArray{&low, 1}
                           : QByteArray{&low, 1} + QByteArray{&high, 1};
    }
    return bytes;
}

QStringList entries(QDir dir)
{
    return dir.entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
}
} // namespace

void TestStringGrid::load_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("rows");

    const QStringList croatian{u"/home/ana/Šđčćž"_qs, u"/mnt/d/Računi.ods"_qs};
    QTest::newRow("UTF-8") << QByteArray("/home/ana/\xC5\xA0\xC4\x91\xC4\x8D\xC4\x87\xC5\xBE\r\n"
                                         "/mnt/d/Ra\xC4\x8Duni.ods\r\n")
                           << croatian;
    QTest::newRow("UTF-8 with BOM")
        << QByteArray("\xEF\xBB\xBF/home/ana/\xC5\xA0\xC4\x91\xC4\x8D\xC4\x87\xC5\xBE\r\n"
                      "/mnt/d/Ra\xC4\x8Duni.ods\r\n")
        << croatian;
    QTest::newRow("UTF-16 LE") << utf16(u"/home/ana/Šđčćž\r\n/mnt/d/Računi.ods\r\n", false) << croatian;
    QTest::newRow("UTF-16 BE") << utf16(u"/home/ana/Šđčćž\r\n/mnt/d/Računi.ods\r\n", true) << croatian;
    QTest::newRow("Windows-1250") << QByteArray("/home/ana/\x8A\xF0\xE8\xE6\x9E\r\n/mnt/d/Ra\xE8uni.ods\r\n")
                                  << croatian;
    // A line saved on Windows among UTF-8 lines spoils none of them.
    QTest::newRow("one Windows-1250 line among UTF-8 lines")
        << QByteArray("/home/ana/Ra\xC4\x8Duni\r\n/mnt/stari/Ra\xE8uni\r\n/home/ana/\xC5\xA0"
                      "kola\r\n")
        << QStringList{u"/home/ana/Računi"_qs, u"/mnt/stari/Računi"_qs, u"/home/ana/Škola"_qs};
    QTest::newRow("a line that is not UTF-8 only at its end")
        << QByteArray("C:\\\xC5\xA1\r\nC:\\\xC5\xA1\x9A\r\n") << QStringList{u"C:\\š"_qs, u"C:\\Ĺˇš"_qs};

    QTest::newRow("LF") << QByteArray("/a\n/b\n") << QStringList{u"/a"_qs, u"/b"_qs};
    QTest::newRow("CR") << QByteArray("/a\r/b\r") << QStringList{u"/a"_qs, u"/b"_qs};
    QTest::newRow("mixed") << QByteArray("/a\r\n/b\n/c\r/d")
                           << QStringList{u"/a"_qs, u"/b"_qs, u"/c"_qs, u"/d"_qs};
    QTest::newRow("LF CR is two line ends") << QByteArray("/a\n\r/b") << QStringList{u"/a"_qs, {}, u"/b"_qs};
    QTest::newRow("last line without line end") << QByteArray("/a\r\n/b") << QStringList{u"/a"_qs, u"/b"_qs};
    QTest::newRow("empty lines are entries") << QByteArray("\r\n/a\r\n\r\n") << QStringList{{}, u"/a"_qs, {}};
    QTest::newRow("spaces kept") << QByteArray(" /a b \r\n") << QStringList{u" /a b "_qs};

    QTest::newRow("empty file") << QByteArray() << QStringList{QString()};
    QTest::newRow("BOM only") << QByteArray("\xEF\xBB\xBF") << QStringList{QString()};
    QTest::newRow("one empty line") << QByteArray("\r\n") << QStringList{QString()};
}

void TestStringGrid::load()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, rows);

    TempTree tree;
    QCOMPARE(LoadStringGrid(tree.writeFile(QStringLiteral("Arkivoda_bcklst.txt"), bytes)), rows);
}

void TestStringGrid::emptyFileDiffersFromMissingFile()
{
    TempTree tree;
    const std::optional<QStringList> empty = ReadListLines(tree.writeFile(QStringLiteral("empty.txt")));
    QVERIFY(empty.has_value());
    QVERIFY(empty->isEmpty());
    QCOMPARE(ReadListLines(tree.writeFile(QStringLiteral("one.txt"), "\r\n")), QStringList{QString()});

    QVERIFY(!ReadListLines(tree.path(QStringLiteral("missing.txt"))).has_value());
    QVERIFY(!ReadListLines(tree.makeDir(QStringLiteral("folder.txt"))).has_value());
}

void TestStringGrid::missingFileRaisesWithFileName()
{
    TempTree tree;
    const QString fileName = tree.path(QStringLiteral("Posao_Arkivoda_bcklst.txt"));
    try {
        LoadStringGrid(fileName);
        QFAIL("a missing list loaded");
    } catch (const EConfigError &error) {
        QVERIFY2(error.message().contains(fileName), qPrintable(error.message()));
    }
}

void TestStringGrid::saveWritesUtf8CrLfWithoutBom()
{
    TempTree tree;
    const QString fileName = tree.path(QStringLiteral("Arkivoda_bcklst.txt"));
    SaveStringGrid({u"/home/ana/š"_qs, QString(), u"/x"_qs}, fileName);
    QFile file(fileName);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("/home/ana/\xC5\xA1\r\n\r\n/x\r\n"));
    QCOMPARE(entries(QDir(tree.root())), QStringList{u"Arkivoda_bcklst.txt"_qs});
}

void TestStringGrid::pathsInAnyAlphabetSurviveSaveAndLoad()
{
    TempTree tree;
    const QString fileName = tree.path(QStringLiteral("Arkivoda_bcklst.txt"));
    const QStringList rows{u"/home/ana/Šđčćž ŠĐČĆŽ"_qs,
                           u"/home/ana/Ελληνικά"_qs,
                           u"/home/ana/Русский"_qs,
                           u"/home/ana/עברית/العربية"_qs,
                           u"/home/ana/日本語/한국어/中文"_qs,
                           u"/home/ana/हिन्दी/ไทย"_qs,
                           u"/home/ana/\U0001F600 emoji"_qs,
                           u"/home/ana/€ ‰ „“"_qs};
    SaveStringGrid(rows, fileName);
    QCOMPARE(LoadStringGrid(fileName), rows);
}

void TestStringGrid::saveReplacesTheWholeFile()
{
    TempTree tree;
    const QString fileName =
        tree.writeFile(QStringLiteral("Arkivoda_bcklst.txt"), "/old/one\r\n/old/two\r\n/three\r\n");
    SaveStringGrid({u"/new"_qs}, fileName);
    QCOMPARE(LoadStringGrid(fileName), QStringList{u"/new"_qs});
}

void TestStringGrid::failedSaveRaisesWithFileName_data()
{
    QTest::addColumn<QString>("relativeName");

    // Both fail for root as well: no permission bits are involved.
    QTest::newRow("folder missing") << u"missing/Arkivoda_bcklst.txt"_qs;
    QTest::newRow("a folder in the file's place") << u"Arkivoda_bcklst.txt"_qs;
}

void TestStringGrid::failedSaveRaisesWithFileName()
{
    QFETCH(QString, relativeName);

    TempTree tree;
    tree.makeDir(QStringLiteral("Arkivoda_bcklst.txt"));
    const QString fileName = tree.path(relativeName);
    try {
        SaveStringGrid({u"/a"_qs}, fileName);
        QFAIL("the save did not fail");
    } catch (const EConfigError &error) {
        QVERIFY2(error.message().startsWith(u"Cannot create file \""_qs + fileName + u'"'),
                 qPrintable(error.message()));
    }
    QCOMPARE(entries(QDir(tree.root())), QStringList{u"Arkivoda_bcklst.txt"_qs});
    QVERIFY(QFileInfo(tree.path(QStringLiteral("Arkivoda_bcklst.txt"))).isDir());
}

void TestStringGrid::fullDiskLeavesTheOldList()
{
    TempTree tree;
    const QByteArray old = "/home/ana/Dokumenti\r\n/home/ana/Slike\r\n";
    const QString fileName = tree.writeFile(QStringLiteral("Arkivoda_bcklst.txt"), old);
    // Checked after the limit is lifted: a test log written to a file would hit it too.
    QString message = QStringLiteral("<the save did not fail>");
    QString reason;
    {
        const FileSizeLimit full{16};
        try {
            SaveStringGrid({u"/home/ana/Dokumenti"_qs, u"/home/ana/Slike"_qs, u"/home/ana/Glazba"_qs},
                           fileName);
        } catch (const EConfigError &error) {
            message = error.message();
            reason = error.reason();
        }
    }
    QVERIFY2(message.startsWith(u"Cannot create file \""_qs + fileName + u'"'), qPrintable(message));
    QCOMPARE(reason, SystemReason::text(EFBIG));
    QFile file(fileName);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), old);
    QCOMPARE(entries(QDir(tree.root())), QStringList{u"Arkivoda_bcklst.txt"_qs});
}

QTEST_GUILESS_MAIN(TestStringGrid)
#include "tst_StringGrid.moc"
