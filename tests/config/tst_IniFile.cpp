#include "config/EConfigError.h"
#include "config/IniFile.h"
#include "config/SystemReason.h"

#include "FileSizeLimit.h"
#include "TempTree.h"

#include <QDir>
#include <QFile>
#include <QtTest>

#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>

class TestIniFile : public QObject
{
    Q_OBJECT

  private slots:
    void missingFileSectionOrKeyGivesDefaults();
    void quotesAroundTheValueAreDropped_data();
    void quotesAroundTheValueAreDropped();
    void readBool_data();
    void readBool();
    void readTime_data();
    void readTime();
    void localeTimeFormatIsRead();
    void writtenTimeReadsBack_data();
    void writtenTimeReadsBack();
    void longValueIsReadWhole_data();
    void longValueIsReadWhole();
    void namesMatchWithoutRegardToCase();
    void onlyTheFirstSectionOfANameCounts();
    void edits_data();
    void edits();
    void newFileIsUtf8WithoutBomAndCrLf();
    void valueInAnyAlphabetSurvives();
    void olderEncodingsAreReadAndRewrittenAsUtf8_data();
    void olderEncodingsAreReadAndRewrittenAsUtf8();
    void eachLineIsReadInItsOwnEncoding();
    void writeKeepsTheBytesOfEveryOtherLine_data();
    void writeKeepsTheBytesOfEveryOtherLine();
    void failedWriteRaisesWithFileName_data();
    void failedWriteRaisesWithFileName();
    void fullDiskLeavesTheOldFile_data();
    void fullDiskLeavesTheOldFile();
    void leftoverOfAKilledWriterGoesNotALiveOne();
    void replacedFileKeepsItsLinkAndPermissions();
    void replacedFileKeepsItsOwner_data();
    void replacedFileKeepsItsOwner();

  private:
    static QByteArray contents(const QString &fileName);
};

QByteArray TestIniFile::contents(const QString &fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return "<unreadable>";
    return file.readAll();
}

void TestIniFile::missingFileSectionOrKeyGivesDefaults()
{
    TempTree tree;
    const IniFile missing(tree.path(QStringLiteral("none.ini")));
    QCOMPARE(missing.ReadString(QStringLiteral("Last"), QStringLiteral("FileA"), QStringLiteral("-")),
             QStringLiteral("-"));
    QCOMPARE(missing.ReadBool(QStringLiteral("Program"), QStringLiteral("Report"), true), true);
    QCOMPARE(missing.ReadTime(QStringLiteral("Timer"), QStringLiteral("Time"), 0.25), 0.25);

    const IniFile ini(tree.writeFile(QStringLiteral("a.ini"), "[Program]\r\nJezik=EN\r\n"));
    QCOMPARE(ini.ReadString(QStringLiteral("Last"), QStringLiteral("FileA"), QStringLiteral("-")),
             QStringLiteral("-"));
    QCOMPARE(ini.ReadString(QStringLiteral("Program"), QStringLiteral("Other"), QStringLiteral("x")),
             QStringLiteral("x"));
    // A folder where the file should be reads like a missing file.
    const IniFile folder(tree.makeDir(QStringLiteral("dir.ini")));
    QCOMPARE(folder.ReadString(QStringLiteral("Program"), QStringLiteral("Jezik"), QStringLiteral("HR")),
             QStringLiteral("HR"));
}

void TestIniFile::quotesAroundTheValueAreDropped_data()
{
    QTest::addColumn<QByteArray>("stored");
    QTest::addColumn<QString>("expected");

    QTest::newRow("double quotes") << QByteArray("\"EN\"") << u"EN"_qs;
    QTest::newRow("single quotes") << QByteArray("'EN'") << u"EN"_qs;
    QTest::newRow("spaces outside go, inside stay") << QByteArray("  \" /mnt/a b/ \"  ") << u" /mnt/a b/ "_qs;
    QTest::newRow("empty quotes") << QByteArray("\"\"") << QString();
    QTest::newRow("only the outer pair") << QByteArray("\"a\"b\"") << u"a\"b"_qs;
    QTest::newRow("different quotes stay") << QByteArray("\"EN'") << u"\"EN'"_qs;
    QTest::newRow("a lone quote stays") << QByteArray("\"") << u"\""_qs;
    QTest::newRow("quotes inside stay") << QByteArray("Moja.\"arhiva\"") << u"Moja.\"arhiva\""_qs;
}

void TestIniFile::quotesAroundTheValueAreDropped()
{
    QFETCH(QByteArray, stored);
    QFETCH(QString, expected);

    TempTree tree;
    const IniFile ini(tree.writeFile(QStringLiteral("a.ini"), "[Program]\r\nJezik=" + stored + "\r\n"));
    QCOMPARE(ini.ReadString(QStringLiteral("Program"), QStringLiteral("Jezik"), QStringLiteral("<default>")),
             expected);
}

void TestIniFile::readBool_data()
{
    QTest::addColumn<QByteArray>("stored");
    QTest::addColumn<bool>("defaultValue");
    QTest::addColumn<bool>("expected");

    QTest::newRow("1") << QByteArray("1") << false << true;
    QTest::newRow("0") << QByteArray("0") << true << false;
    QTest::newRow("2 is true") << QByteArray("2") << false << true;
    QTest::newRow("-1 is true") << QByteArray("-1") << false << true;
    QTest::newRow("+0") << QByteArray("+0") << true << false;
    QTest::newRow("spaces trimmed") << QByteArray("  1  ") << false << true;
    QTest::newRow("0x1") << QByteArray("0x1") << false << true;
    QTest::newRow("0X0") << QByteArray("0X0") << true << false;
    QTest::newRow("0xFFFFFFFF") << QByteArray("0xFFFFFFFF") << false << true;
    QTest::newRow("da, default true") << QByteArray("da") << true << true;
    QTest::newRow("da, default false") << QByteArray("da") << false << false;
    QTest::newRow("true is not an integer") << QByteArray("true") << false << false;
    QTest::newRow("empty") << QByteArray("") << true << true;
    QTest::newRow("0x alone") << QByteArray("0x") << false << false;
    QTest::newRow("bad hex digit") << QByteArray("0x1g") << false << false;
    QTest::newRow("decimal point") << QByteArray("1.0") << false << false;
    QTest::newRow("inner space") << QByteArray("1 0") << false << false;
    QTest::newRow("beyond 32 bits") << QByteArray("4294967296") << false << false;
    QTest::newRow("hex beyond 32 bits") << QByteArray("0x100000000") << false << false;
    QTest::newRow("arabic-indic digit") << QByteArray("\xD9\xA1") << false << false;
    QTest::newRow("quoted 0") << QByteArray("\"0\"") << true << false;
    QTest::newRow("quoted 1") << QByteArray("'1'") << false << true;
}

void TestIniFile::readBool()
{
    QFETCH(QByteArray, stored);
    QFETCH(bool, defaultValue);
    QFETCH(bool, expected);

    TempTree tree;
    const IniFile ini(tree.writeFile(QStringLiteral("a.ini"), "[Program]\r\nReport=" + stored + "\r\n"));
    QCOMPARE(ini.ReadBool(QStringLiteral("Program"), QStringLiteral("Report"), defaultValue), expected);
}

void TestIniFile::readTime_data()
{
    QTest::addColumn<QByteArray>("stored");
    QTest::addColumn<double>("expected");

    const double unset = -1.0;
    QTest::newRow("noon") << QByteArray("12:00:00") << 0.5;
    QTest::newRow("midnight") << QByteArray("00:00:00") << 0.0;
    QTest::newRow("one-digit hour") << QByteArray("6:00:00") << 0.25;
    QTest::newRow("last second") << QByteArray("23:59:59") << 86399.0 / 86400.0;
    QTest::newRow("without seconds") << QByteArray("18:00") << 0.75;
    QTest::newRow("empty") << QByteArray("") << unset;
    QTest::newRow("hour 24") << QByteArray("24:00:00") << unset;
    QTest::newRow("not a time") << QByteArray("podne") << unset;
}

void TestIniFile::readTime()
{
    QFETCH(QByteArray, stored);
    QFETCH(double, expected);

    TempTree tree;
    const IniFile ini(tree.writeFile(QStringLiteral("a.ini"), "[Timer]\r\nTime=" + stored + "\r\n"));
    QCOMPARE(ini.ReadTime(QStringLiteral("Timer"), QStringLiteral("Time"), -1.0), expected);
}

void TestIniFile::localeTimeFormatIsRead()
{
    TempTree tree;
    const IniFile ini(tree.writeFile(QStringLiteral("a.ini"), "[Timer]\r\nTime=6:30 PM\r\n"));
    const QLocale previous;
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    const double time = ini.ReadTime(QStringLiteral("Timer"), QStringLiteral("Time"), -1.0);
    QLocale::setDefault(previous);
    QCOMPARE(time, 18.5 / 24.0);
}

void TestIniFile::writtenTimeReadsBack_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QByteArray>("stored");
    QTest::addColumn<double>("readBack");

    QTest::newRow("noon") << 0.5 << QByteArray("12:00:00") << 0.5;
    QTest::newRow("afternoon") << (13 * 3600 + 14 * 60 + 15) / 86400.0 << QByteArray("13:14:15")
                               << (13 * 3600 + 14 * 60 + 15) / 86400.0;
    QTest::newRow("rounding error below noon") << 0.5 - 1e-12 << QByteArray("12:00:00") << 0.5;
    QTest::newRow("date part dropped") << 45000.75 << QByteArray("18:00:00") << 0.75;
    QTest::newRow("milliseconds dropped") << (3600 + 0.4) / 86400.0 << QByteArray("01:00:00") << 1 / 24.0;
}

void TestIniFile::writtenTimeReadsBack()
{
    QFETCH(double, value);
    QFETCH(QByteArray, stored);
    QFETCH(double, readBack);

    TempTree tree;
    const IniFile ini(tree.path(QStringLiteral("a.ini")));
    ini.WriteTime(QStringLiteral("Timer"), QStringLiteral("Time"), value);
    QCOMPARE(contents(ini.fileName()), "[Timer]\r\nTime=" + stored + "\r\n");
    QCOMPARE(ini.ReadTime(QStringLiteral("Timer"), QStringLiteral("Time"), -1.0), readBack);
}

void TestIniFile::longValueIsReadWhole_data()
{
    QTest::addColumn<QString>("value");

    // 2,047 characters was once the most a read returned; what lies past it must come back too.
    QTest::newRow("exclusions ending past 2,047") << QString(2045, u'x') + QStringLiteral(";*.tmp");
    QTest::newRow("folder whose first 2,047 name an ancestor")
        << u'/' + QString(2046, u'a') + QStringLiteral("/arhive");
    QTest::newRow("surrogate pair across 2,047") << QString(2046, u'b') + QStringLiteral("\U0001F600");
    QTest::newRow("100,000 characters") << QString(100000, u'c');
}

void TestIniFile::longValueIsReadWhole()
{
    QFETCH(QString, value);
    TempTree tree;
    const IniFile ini(tree.path(QStringLiteral("a.ini")));
    ini.WriteString(QStringLiteral("Program"), QStringLiteral("Izuzeci"), value);
    ini.WriteString(QStringLiteral("Program"), QStringLiteral("Jezik"), QStringLiteral("EN"));
    QCOMPARE(ini.ReadString(QStringLiteral("Program"), QStringLiteral("Izuzeci"), {}), value);
    QCOMPARE(ini.ReadString(QStringLiteral("Program"), QStringLiteral("Jezik"), {}), QStringLiteral("EN"));
}

void TestIniFile::namesMatchWithoutRegardToCase()
{
    TempTree tree;
    const IniFile ini(tree.writeFile(
        QStringLiteral("a.ini"), "[  PROGRAM ]\r\n  report = 0 \r\nJEZIK\t=\tEN\t\r\n[šđčć]\r\nKLJUČ=x\r\n"));
    QCOMPARE(ini.ReadBool(QStringLiteral("Program"), QStringLiteral("Report"), true), false);
    QCOMPARE(ini.ReadString(QStringLiteral("program"), QStringLiteral("Jezik"), {}), QStringLiteral("EN"));
    QCOMPARE(ini.ReadString(QStringLiteral("ŠĐČĆ"), QStringLiteral("ključ"), {}), QStringLiteral("x"));

    ini.WriteBool(QStringLiteral("Program"), QStringLiteral("REPORT"), true);
    QCOMPARE(contents(ini.fileName()),
             QByteArray("[  PROGRAM ]\r\n  report =1\r\nJEZIK\t=\tEN\t\r\n[šđčć]\r\nKLJUČ=x\r\n"));
}

void TestIniFile::onlyTheFirstSectionOfANameCounts()
{
    TempTree tree;
    const IniFile ini(tree.writeFile(QStringLiteral("a.ini"), "[Last]\r\nFileA=a\r\n[last]\r\nFileR=r\r\n"));
    QCOMPARE(ini.ReadString(QStringLiteral("Last"), QStringLiteral("FileR"), QStringLiteral("-")),
             QStringLiteral("-"));
    ini.WriteString(QStringLiteral("Last"), QStringLiteral("FileR"), QStringLiteral("n"));
    QCOMPARE(contents(ini.fileName()), QByteArray("[Last]\r\nFileA=a\r\nFileR=n\r\n[last]\r\nFileR=r\r\n"));
}

void TestIniFile::edits_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QByteArray>("after");

    const QByteArray fixture = "; Arkivoda\r\n"
                               "[Program]\r\n"
                               "Jezik=HR\r\n"
                               "; ručno dodano\r\n"
                               "Vlastiti=ostaje\r\n"
                               "Report=1\r\n"
                               "\r\n"
                               "[Last]\r\n"
                               "FileA=/stara/arhiva.zip\r\n"
                               "\r\n";

    QTest::newRow("update in place") << fixture << u"Program"_qs << u"Jezik"_qs << u"EN"_qs
                                     << QByteArray(fixture).replace("Jezik=HR", "Jezik=EN");
    QTest::newRow("update keeps the key's spelling")
        << fixture << u"last"_qs << u"filea"_qs << u"/nova.zip"_qs
        << QByteArray(fixture).replace("FileA=/stara/arhiva.zip", "FileA=/nova.zip");
    QTest::newRow("new key at the end of its section")
        << fixture << u"Program"_qs << u"StartToTray"_qs << u"1"_qs
        << QByteArray(fixture).replace("Report=1\r\n", "Report=1\r\nStartToTray=1\r\n");
    QTest::newRow("new key in the last section")
        << fixture << u"Last"_qs << u"FileR"_qs << u"/r.zip"_qs
        << QByteArray(fixture).replace("arhiva.zip\r\n", "arhiva.zip\r\nFileR=/r.zip\r\n");
    QTest::newRow("new section at the end of the file")
        << fixture << u"Timer"_qs << u"Enabled"_qs << u"0"_qs << fixture + "[Timer]\r\nEnabled=0\r\n";
    QTest::newRow("empty value") << fixture << u"Program"_qs << u"Jezik"_qs << QString()
                                 << QByteArray(fixture).replace("Jezik=HR", "Jezik=");

    QTest::newRow("last line without line end, new key")
        << QByteArray("[Program]\r\nJezik=HR") << u"Program"_qs << u"Report"_qs << u"0"_qs
        << QByteArray("[Program]\r\nJezik=HR\r\nReport=0\r\n");
    QTest::newRow("last line without line end, new section")
        << QByteArray("[Program]\r\nJezik=HR") << u"Timer"_qs << u"Time"_qs << u"12:00:00"_qs
        << QByteArray("[Program]\r\nJezik=HR\r\n[Timer]\r\nTime=12:00:00\r\n");
    QTest::newRow("empty section gets its first key")
        << QByteArray("[Timer]\r\n[Last]\r\n") << u"Timer"_qs << u"Enabled"_qs << u"1"_qs
        << QByteArray("[Timer]\r\nEnabled=1\r\n[Last]\r\n");
    QTest::newRow("LF file keeps LF") << QByteArray("[Program]\nJezik=HR\n") << u"Last"_qs << u"FileA"_qs
                                      << u"x"_qs << QByteArray("[Program]\nJezik=HR\n[Last]\nFileA=x\n");
    QTest::newRow("lines before any section are kept, not matched")
        << QByteArray("Jezik=EN\r\n") << u"Program"_qs << u"Jezik"_qs << u"HR"_qs
        << QByteArray("Jezik=EN\r\n[Program]\r\nJezik=HR\r\n");
    QTest::newRow("commented-out key is not the key")
        << QByteArray("[Program]\r\n;Jezik=EN\r\n") << u"Program"_qs << u"Jezik"_qs << u"HR"_qs
        << QByteArray("[Program]\r\n;Jezik=EN\r\nJezik=HR\r\n");
}

void TestIniFile::edits()
{
    QFETCH(QByteArray, before);
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, value);
    QFETCH(QByteArray, after);

    TempTree tree;
    const IniFile ini(tree.writeFile(QStringLiteral("a.ini"), before));
    ini.WriteString(section, key, value);
    QCOMPARE(contents(ini.fileName()), after);
    QCOMPARE(ini.ReadString(section, key, QStringLiteral("<default>")), value);
    // The temporary file of the write is gone.
    QCOMPARE(QDir(tree.root()).entryList(QDir::Files | QDir::Hidden), QStringList{u"a.ini"_qs});
}

void TestIniFile::newFileIsUtf8WithoutBomAndCrLf()
{
    TempTree tree;
    const IniFile ini(tree.path(QStringLiteral("Arkivoda.ini")));
    ini.WriteString(QStringLiteral("Program"), QStringLiteral("Jezik"), QStringLiteral("HR"));
    ini.WriteBool(QStringLiteral("Program"), QStringLiteral("Report"), false);
    ini.WriteString(QStringLiteral("Last"), QStringLiteral("Datoteka"), QStringLiteral("Arhiva š"));
    QCOMPARE(contents(ini.fileName()),
             QByteArray("[Program]\r\nJezik=HR\r\nReport=0\r\n[Last]\r\nDatoteka=Arhiva \xC5\xA1\r\n"));
}

void TestIniFile::valueInAnyAlphabetSurvives()
{
    TempTree tree;
    const IniFile ini(tree.path(QStringLiteral("a.ini")));
    const QString path = QStringLiteral("/home/ana/Šđčćž/Ελληνικά/Русский/עברית/العربية/日本語/한국어/"
                                        "हिन्दी/\U0001F600 = ; [x]/");
    ini.WriteString(QStringLiteral("LokacijaAuto"), QStringLiteral("Putanja"), path);
    QCOMPARE(ini.ReadString(QStringLiteral("LokacijaAuto"), QStringLiteral("Putanja"), {}), path);
    QVERIFY(contents(ini.fileName()).contains(path.toUtf8()));
}

void TestIniFile::olderEncodingsAreReadAndRewrittenAsUtf8_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QByteArray>("after");

    const QByteArray utf8 = "[Last]\r\nDatoteka=Arhiva\xC5\xA1\xC4\x8D\r\nFileA=/a.zip\r\n";
    // Without a byte-order mark the line the write does not change stays as it was.
    QTest::newRow("Windows-1250") << QByteArray("[Last]\r\nDatoteka=Arhiva\x9A\xE8\r\nFileA=-\r\n")
                                  << QByteArray("[Last]\r\nDatoteka=Arhiva\x9A\xE8\r\nFileA=/a.zip\r\n");
    QTest::newRow("UTF-8 with BOM")
        << QByteArray("\xEF\xBB\xBF[Last]\r\nDatoteka=Arhiva\xC5\xA1\xC4\x8D\r\nFileA=-\r\n") << utf8;
    QTest::newRow("UTF-16 LE") << QByteArray("\xFF\xFE") +
                                      QByteArray(reinterpret_cast<const char *>(
                                                     u"[Last]\r\nDatoteka=Arhivašč\r\nFileA=-\r\n"),
                                                 36 * 2)
                               << utf8;
}

void TestIniFile::olderEncodingsAreReadAndRewrittenAsUtf8()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QByteArray, after);

    TempTree tree;
    const IniFile ini(tree.writeFile(QStringLiteral("a.ini"), bytes));
    QCOMPARE(ini.ReadString(QStringLiteral("Last"), QStringLiteral("Datoteka"), {}),
             QStringLiteral("Arhivašč"));
    ini.WriteString(QStringLiteral("Last"), QStringLiteral("FileA"), QStringLiteral("/a.zip"));
    QCOMPARE(contents(ini.fileName()), after);
}

namespace {
// Settings edited by hand over the years: UTF-8 lines, and two lines an editor on Windows saved in
// Windows-1250 ("Računi" and "/arhive/Šefovi.zip").
const QByteArray kMixedSettings = "; Postavke \xE2\x80\x93 ure\xC4\x91"
                                  "ene ru\xC4\x8Dno\r\n"
                                  "[Last]\r\n"
                                  "Datoteka=Ra\xC4\x8Duni\r\n"
                                  "; stari naziv: Ra\xE8uni\r\n"
                                  "FileA=/arhive/\x8A"
                                  "efovi.zip\r\n"
                                  "[Program]\r\n"
                                  "Jezik=HR\r\n";
} // namespace

void TestIniFile::eachLineIsReadInItsOwnEncoding()
{
    TempTree tree;
    const IniFile ini(tree.writeFile(QStringLiteral("a.ini"), kMixedSettings));
    QCOMPARE(ini.ReadString(QStringLiteral("Last"), QStringLiteral("Datoteka"), {}), u"Računi"_qs);
    QCOMPARE(ini.ReadString(QStringLiteral("Last"), QStringLiteral("FileA"), {}), u"/arhive/Šefovi.zip"_qs);
    QCOMPARE(ini.ReadString(QStringLiteral("Program"), QStringLiteral("Jezik"), {}), u"HR"_qs);
}

void TestIniFile::writeKeepsTheBytesOfEveryOtherLine_data()
{
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QByteArray>("after");

    QTest::newRow("unrelated key") << u"Program"_qs << u"Jezik"_qs << u"EN"_qs
                                   << QByteArray(kMixedSettings).replace("Jezik=HR", "Jezik=EN");
    QTest::newRow("new key after a Windows-1250 line")
        << u"Last"_qs << u"FileR"_qs << u"/r/Računi.zip"_qs
        << QByteArray(kMixedSettings).replace("efovi.zip\r\n", "efovi.zip\r\nFileR=/r/Ra\xC4\x8Duni.zip\r\n");
    QTest::newRow("the Windows-1250 line itself, now in UTF-8")
        << u"Last"_qs << u"FileA"_qs << u"/arhive/Šefovi_2.zip"_qs
        << QByteArray(kMixedSettings)
               .replace("FileA=/arhive/\x8A"
                        "efovi.zip",
                        "FileA=/arhive/\xC5\xA0"
                        "efovi_2.zip");
}

void TestIniFile::writeKeepsTheBytesOfEveryOtherLine()
{
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, value);
    QFETCH(QByteArray, after);

    TempTree tree;
    const IniFile ini(tree.writeFile(QStringLiteral("a.ini"), kMixedSettings));
    ini.WriteString(section, key, value);
    QCOMPARE(contents(ini.fileName()), after);
    QCOMPARE(ini.ReadString(section, key, {}), value);
}

void TestIniFile::failedWriteRaisesWithFileName_data()
{
    QTest::addColumn<QString>("relativeName");
    QTest::addColumn<QString>("value");

    // Both fail for root as well: no permission bits are involved.
    QTest::newRow("folder missing") << u"missing/Arkivoda.ini"_qs << u"x"_qs;
    QTest::newRow("a folder in the file's place") << u"Arkivoda.ini"_qs << u"x"_qs;
    QTest::newRow("line break in the value") << u"plain.ini"_qs << u"a\nb"_qs;
}

void TestIniFile::failedWriteRaisesWithFileName()
{
    QFETCH(QString, relativeName);
    QFETCH(QString, value);

    TempTree tree;
    tree.makeDir(QStringLiteral("Arkivoda.ini"));
    const QByteArray plain = "[Last]\r\nFileA=-\r\n";
    tree.writeFile(QStringLiteral("plain.ini"), plain);
    const QStringList before =
        QDir(tree.root()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);

    const IniFile ini(tree.path(relativeName));
    try {
        ini.WriteString(QStringLiteral("Last"), QStringLiteral("FileA"), value);
        QFAIL("the write did not fail");
    } catch (const EConfigError &error) {
        QCOMPARE(error.message(), u"Unable to write to "_qs + tree.path(relativeName));
    }
    QCOMPARE(QDir(tree.root()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), before);
    QCOMPARE(contents(tree.path(QStringLiteral("plain.ini"))), plain);
}

void TestIniFile::fullDiskLeavesTheOldFile_data()
{
    QTest::addColumn<int>("room");

    QTest::newRow("no room at all") << 0;
    QTest::newRow("room for part of the text") << 20;
}

void TestIniFile::fullDiskLeavesTheOldFile()
{
    QFETCH(int, room);

    TempTree tree;
    const QByteArray old = "[Program]\r\nJezik=HR\r\n[Last]\r\nFileA=/stara/arhiva.zip\r\n";
    const IniFile ini(tree.writeFile(QStringLiteral("Arkivoda.ini"), old));
    // Checked after the limit is lifted: a test log written to a file would hit it too.
    QString message = QStringLiteral("<the write did not fail>");
    QString reason;
    {
        const FileSizeLimit full{rlim_t(room)};
        try {
            ini.WriteString(QStringLiteral("Last"), QStringLiteral("FileR"),
                            QStringLiteral("/nova/ručna.zip"));
        } catch (const EConfigError &error) {
            message = error.message();
            reason = error.reason();
        }
    }
    QCOMPARE(message, u"Unable to write to "_qs + ini.fileName());
    QCOMPARE(reason, SystemReason::text(EFBIG));
    QCOMPARE(contents(ini.fileName()), old);
    QCOMPARE(QDir(tree.root()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList{u"Arkivoda.ini"_qs});
}

namespace {
void stopHere(int)
{
    ::raise(SIGSTOP);
}

// Kills and reaps a child process however the test ends, so a failed check leaves no stopped process.
struct ChildProcess
{
    pid_t pid = -1;
    ~ChildProcess()
    {
        if (pid > 0 && ::kill(pid, SIGKILL) == 0)
            ::waitpid(pid, nullptr, 0);
    }
};
} // namespace

void TestIniFile::leftoverOfAKilledWriterGoesNotALiveOne()
{
    TempTree tree;
    const QByteArray old = "[Last]\r\nFileA=/stara/arhiva.zip\r\n";
    const IniFile ini(tree.writeFile(QStringLiteral("Arkivoda.ini"), old));
    // The user's own copy beside the settings is no leftover of a write.
    tree.writeFile(QStringLiteral("Arkivoda.ini.backup"), old);

    // A second writer stops in the middle of writing its new text, as a process does that a debugger
    // holds, or one that is about to be killed.
    ChildProcess child{::fork()};
    QVERIFY(child.pid >= 0);
    if (child.pid == 0) {
        struct sigaction stop = {};
        stop.sa_handler = stopHere;
        const rlimit limit{8, RLIM_INFINITY};
        ::sigaction(SIGXFSZ, &stop, nullptr);
        ::setrlimit(RLIMIT_FSIZE, &limit);
        try {
            ini.WriteString(QStringLiteral("Last"), QStringLiteral("FileA"),
                            QStringLiteral("/nova/arhiva.zip"));
        } catch (...) {
        }
        ::_exit(0);
    }
    int status = 0;
    QCOMPARE(::waitpid(child.pid, &status, WUNTRACED), child.pid);
    QVERIFY2(WIFSTOPPED(status), "the second writer did not stop mid-write");
    const auto entries = [&tree] {
        return QDir(tree.root()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    };

    // A write while the other writer lives leaves the other's files alone.
    const QStringList whileStopped = entries();
    ini.WriteString(QStringLiteral("Last"), QStringLiteral("FileR"), QStringLiteral("/r.zip"));
    QCOMPARE(entries(), whileStopped);

    // Once it is dead, the next write removes what it left behind.
    QCOMPARE(::kill(child.pid, SIGKILL), 0);
    const pid_t killed = std::exchange(child.pid, -1);
    QCOMPARE(::waitpid(killed, &status, 0), killed);
    QCOMPARE(contents(ini.fileName()), old + "FileR=/r.zip\r\n");
    ini.WriteString(QStringLiteral("Last"), QStringLiteral("FileR"), QStringLiteral("/r2.zip"));
    QCOMPARE(contents(ini.fileName()), old + "FileR=/r2.zip\r\n");
    QCOMPARE(entries(), (QStringList{u"Arkivoda.ini"_qs, u"Arkivoda.ini.backup"_qs}));
}

void TestIniFile::replacedFileKeepsItsLinkAndPermissions()
{
    // Settings kept elsewhere and linked into the data folder, readable by their owner only.
    TempTree tree;
    const QString real = tree.writeFile(QStringLiteral("dotfiles/Arkivoda.ini"), "[Last]\r\nFileA=-\r\n");
    QVERIFY(QFile::setPermissions(real, QFile::ReadOwner | QFile::WriteOwner));
    const QFile::Permissions permissions = QFile::permissions(real);
    const QString link = tree.path(QStringLiteral("Arkivoda.ini"));
    QVERIFY(QFile::link(real, link));

    IniFile(link).WriteString(QStringLiteral("Last"), QStringLiteral("FileA"), QStringLiteral("/a.zip"));
    QVERIFY(QFileInfo(link).isSymLink());
    QCOMPARE(contents(real), QByteArray("[Last]\r\nFileA=/a.zip\r\n"));
    QCOMPARE(QFile::permissions(real), permissions);
    QCOMPARE(QDir(tree.path(QStringLiteral("dotfiles"))).entryList(QDir::Files | QDir::Hidden),
             QStringList{u"Arkivoda.ini"_qs});
}

void TestIniFile::replacedFileKeepsItsOwner_data()
{
    QTest::addColumn<uid_t>("owner");
    QTest::addColumn<uid_t>("writer");
    QTest::addColumn<bool>("written");

    // 65534 is "nobody", an ordinary user on every Debian system.
    QTest::newRow("root writes a user's settings") << uid_t(65534) << uid_t(0) << true;
    QTest::newRow("a user cannot give the new file to root") << uid_t(0) << uid_t(65534) << false;
}

void TestIniFile::replacedFileKeepsItsOwner()
{
    QFETCH(uid_t, owner);
    QFETCH(uid_t, writer);
    QFETCH(bool, written);
    if (::geteuid() != 0)
        QSKIP("giving files to other users takes root");

    TempTree tree;
    const QByteArray old = "[Last]\r\nFileA=-\r\n";
    const QString name = tree.writeFile(QStringLiteral("Arkivoda.ini"), old);
    const QByteArray encoded = QFile::encodeName(name);
    // Writable by everyone, so only the owner can stand in the writer's way; the folder is the writer's.
    QCOMPARE(::chown(QFile::encodeName(tree.root()).constData(), writer, writer), 0);
    QCOMPARE(::chown(encoded.constData(), owner, owner), 0);
    QCOMPARE(::chmod(encoded.constData(), 0646), 0);

    // The write runs in a child with the writer's identity; its exit status tells how it ended.
    const pid_t child = ::fork();
    QVERIFY(child >= 0);
    if (child == 0) {
        if (writer != 0 && (::setgroups(0, nullptr) != 0 || ::setresgid(writer, writer, writer) != 0 ||
                            ::setresuid(writer, writer, writer) != 0))
            ::_exit(10);
        try {
            IniFile(name).WriteString(QStringLiteral("Last"), QStringLiteral("FileA"),
                                      QStringLiteral("/a.zip"));
            ::_exit(0);
        } catch (const EConfigError &error) {
            const bool clear = error.message() == u"Unable to write to "_qs + name &&
                               error.reason() == SystemReason::text(EPERM);
            ::_exit(clear ? 1 : 11);
        } catch (...) {
            ::_exit(12);
        }
    }
    int status = 0;
    QCOMPARE(::waitpid(child, &status, 0), child);
    QVERIFY(WIFEXITED(status));
    QCOMPARE(WEXITSTATUS(status), written ? 0 : 1);

    struct stat after = {};
    QCOMPARE(::stat(encoded.constData(), &after), 0);
    QCOMPARE(after.st_uid, owner);
    QCOMPARE(after.st_gid, gid_t(owner));
    QCOMPARE(after.st_mode & 07777, mode_t(0646));
    QCOMPARE(contents(name), written ? QByteArray("[Last]\r\nFileA=/a.zip\r\n") : old);
    QCOMPARE(QDir(tree.root()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList{u"Arkivoda.ini"_qs});
}

QTEST_GUILESS_MAIN(TestIniFile)
#include "tst_IniFile.moc"
