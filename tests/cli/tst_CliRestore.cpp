#include "TempTree.h"
#include "zip/TZipFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTest>

#include <sys/stat.h>

using namespace Qt::StringLiterals;

namespace {

struct Outcome
{
    int exitCode = -1;
    QString out;
    QString err;
};

// Runs arkivoda-cli with a data folder of its own (nothing configured: built-in Croatian texts).
Outcome cli(const TempTree &tree, const QStringList &arguments)
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(u"XDG_CONFIG_HOME"_s, tree.path(u"config"_s));
    process.setProcessEnvironment(environment);
    process.start(qEnvironmentVariable("ARKIVODA_BINARY_DIR") + u"/bin/arkivoda-cli"_s, arguments);
    if (!process.waitForFinished(60000))
        return {};
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

QString makeArchive(const TempTree &tree)
{
    const QString path = tree.path(u"a.zip"_s);
    TZipFile zip;
    zip.Open(QFile::encodeName(path).toStdString(), zmWrite);
    zip.Add(TBytes{'A'}, "home/ana/Dok/a.txt");
    zip.Add(TBytes{'B'}, "home/ana/Dok/b.txt");
    zip.Add(TBytes{'C'}, "home/ana/Slike/c.png");
    zip.Close();
    return path;
}

// An archive written by Python's zipfile, which stores any name as given: writes holds the lines of
// writestr calls on the archive "z".
bool writeWithPython(const QString &archive, const QString &writes)
{
    QProcess python;
    python.start(u"python3"_s,
                 {u"-c"_s, u"import sys, zipfile\nwith zipfile.ZipFile(sys.argv[1], 'w') as z:\n"_s + writes,
                  archive});
    return python.waitForFinished() && python.exitCode() == 0;
}

} // namespace

class tst_CliRestore : public QObject
{
    Q_OBJECT

  private slots:
    void listsEntries();
    void pipeIsRefusedWithoutWaiting();
    void restoreAndExistingFiles();
    void refusedEntriesAreReported();
    void inTheWayRefusesBeforeWriting_data();
    void inTheWayRefusesBeforeWriting();
    void namesArePrintedEscaped();
    void refusedCommandLines_data();
    void refusedCommandLines();
};

void tst_CliRestore::listsEntries()
{
    TempTree tree;
    const QString archive = makeArchive(tree);
    Outcome all = cli(tree, {u"--list"_s, archive});
    QCOMPARE(all.exitCode, 0);
    QCOMPARE(all.out.count(QLatin1Char('\n')), 3);
    QVERIFY(all.out.contains(u"home/ana/Slike/c.png"_s));

    const Outcome some = cli(tree, {u"--list"_s, archive, u"*.txt"_s});
    QCOMPARE(some.exitCode, 0);
    QCOMPARE(some.out.count(QLatin1Char('\n')), 2);
    QVERIFY(!some.out.contains(u"c.png"_s));

    QCOMPARE(cli(tree, {u"--list"_s, archive, u"nothing"_s}).exitCode, 1);
    QCOMPARE(cli(tree, {u"--list"_s, tree.writeFile(u"not.zip"_s, "text")}).exitCode, 2);
}

void tst_CliRestore::pipeIsRefusedWithoutWaiting()
{
    // Opening a pipe nobody writes to waits forever; it is no archive and is refused at once.
    TempTree tree;
    const QString pipe = tree.path(u"p.zip"_s);
    QVERIFY(::mkfifo(QFile::encodeName(pipe).constData(), 0600) == 0);
    QCOMPARE(cli(tree, {u"--list"_s, pipe}).exitCode, 2);
    const Outcome restore = cli(tree, {u"--restore"_s, pipe, u"--to"_s, tree.path(u"out"_s)});
    QCOMPARE(restore.exitCode, 2);
    QVERIFY2(restore.err.contains(u"nije obična datoteka"_s), qPrintable(restore.err));
}

void tst_CliRestore::restoreAndExistingFiles()
{
    TempTree tree;
    const QString archive = makeArchive(tree);
    const QString to = tree.path(u"out"_s);
    const QString a = to + u"/home/ana/Dok/a.txt"_s;

    const Outcome first = cli(tree, {u"--restore"_s, archive, u"--to"_s, to, u"home/ana/Dok"_s});
    QCOMPARE(first.exitCode, 0);
    QCOMPARE(readAll(a), QByteArray("A"));
    QVERIFY(!QFile::exists(to + u"/home/ana/Slike/c.png"_s));

    // Without --replace or --skip nothing is written over an existing file, nor anything else.
    QFile::remove(to + u"/home/ana/Dok/b.txt"_s);
    tree.writeFile(u"out/home/ana/Dok/a.txt"_s, "changed");
    const Outcome refused = cli(tree, {u"--restore"_s, archive, u"--to"_s, to});
    QCOMPARE(refused.exitCode, 2);
    QVERIFY2(refused.err.contains(a), qPrintable(refused.err));
    QVERIFY(!QFile::exists(to + u"/home/ana/Dok/b.txt"_s));

    const Outcome skipped = cli(tree, {u"--restore"_s, archive, u"--to"_s, to, u"--skip"_s});
    QCOMPARE(skipped.exitCode, 1);
    QCOMPARE(readAll(a), QByteArray("changed"));
    QCOMPARE(readAll(to + u"/home/ana/Dok/b.txt"_s), QByteArray("B"));

    const Outcome replaced = cli(tree, {u"--restore"_s, archive, u"--to"_s, to, u"--replace"_s, u"*a.txt"_s});
    QCOMPARE(replaced.exitCode, 0);
    QCOMPARE(readAll(a), QByteArray("A"));

    QCOMPARE(cli(tree, {u"--restore"_s, archive, u"--to"_s, to, u"nothing"_s}).exitCode, 2);
}

void tst_CliRestore::refusedEntriesAreReported()
{
    TempTree tree;
    const QString archive = tree.path(u"hostile.zip"_s);
    QVERIFY(writeWithPython(archive, u"    z.writestr('../escape.txt', 'x')\n"
                                     "    z.writestr('ok.txt', 'ok')\n"_s));
    const Outcome outcome = cli(tree, {u"--restore"_s, archive, u"--to"_s, tree.path(u"out"_s)});
    QCOMPARE(outcome.exitCode, 1);
    QVERIFY2(outcome.out.contains(u"../escape.txt: nesiguran naziv u arhivi"_s), qPrintable(outcome.out));
    QCOMPARE(readAll(tree.path(u"out/ok.txt"_s)), QByteArray("ok"));
    QVERIFY(!QFile::exists(tree.path(u"escape.txt"_s)));
}

void tst_CliRestore::inTheWayRefusesBeforeWriting_data()
{
    QTest::addColumn<bool>("link");
    QTest::newRow("file where a folder goes") << false;
    QTest::newRow("link where a folder goes") << true;
}

void tst_CliRestore::inTheWayRefusesBeforeWriting()
{
    QFETCH(bool, link);
    TempTree tree;
    const QString archive = tree.path(u"a.zip"_s);
    {
        TZipFile zip;
        zip.Open(QFile::encodeName(archive).toStdString(), zmWrite);
        zip.Add(TBytes{'A'}, "a.txt");
        zip.Add(TBytes{'Y'}, "x/y.txt");
        zip.Close();
    }
    const QString to = tree.makeDir(u"out"_s);
    if (link) {
        tree.writeFile(u"elsewhere/keep.txt"_s, "mine");
        QVERIFY(QFile::link(tree.path(u"elsewhere"_s), to + u"/x"_s));
    } else {
        tree.writeFile(u"out/x"_s, "file");
    }

    const Outcome refused = cli(tree, {u"--restore"_s, archive, u"--to"_s, to});
    QCOMPARE(refused.exitCode, 2);
    QVERIFY2(refused.err.contains(to + u"/x\n"_s), qPrintable(refused.err));
    QVERIFY(!QFile::exists(to + u"/a.txt"_s));
    QVERIFY(!QFile::exists(tree.path(u"elsewhere/y.txt"_s)));

    // Kept with --skip: nothing is written through the link.
    const Outcome skipped = cli(tree, {u"--restore"_s, archive, u"--to"_s, to, u"--skip"_s});
    QCOMPARE(skipped.exitCode, 1);
    QCOMPARE(readAll(to + u"/a.txt"_s), QByteArray("A"));
    QVERIFY(!QFile::exists(tree.path(u"elsewhere/y.txt"_s)));
    QCOMPARE(QFileInfo(to + u"/x"_s).isSymLink(), link);
}

void tst_CliRestore::namesArePrintedEscaped()
{
    // Names may hold control characters: printed raw they would drive the terminal or forge lines.
    TempTree tree;
    const QString archive = tree.path(u"names.zip"_s);
    QVERIFY(writeWithPython(archive, u"    z.writestr('red\\x1b[31m.txt', 'e')\n"
                                     "    z.writestr('bell\\x07\\r.txt', 'b')\n"
                                     "    z.writestr('two\\nlines\\x00.txt', 'n')\n"
                                     "    z.writestr('../\\x1b[2J.txt', 'x')\n"_s));

    const Outcome listed = cli(tree, {u"--list"_s, archive});
    QCOMPARE(listed.exitCode, 0);
    QCOMPARE(listed.out.count(QLatin1Char('\n')), 4);
    QVERIFY2(listed.out.contains(u"red\\e[31m.txt"_s), qPrintable(listed.out));
    QVERIFY2(listed.out.contains(u"bell\\x07\\r.txt"_s), qPrintable(listed.out));
    QVERIFY2(listed.out.contains(u"two\\nlines"_s), qPrintable(listed.out));

    const Outcome restored = cli(tree, {u"--restore"_s, archive, u"--to"_s, tree.path(u"out"_s)});
    QCOMPARE(restored.exitCode, 1);
    for (const QString &text : {listed.out, restored.out, restored.err})
        for (const QChar c : text)
            QVERIFY2(c == QLatin1Char('\n') || c.unicode() >= 0x20, qPrintable(text));
    QVERIFY2(restored.out.contains(u"../\\e[2J.txt"_s), qPrintable(restored.out));
}

void tst_CliRestore::refusedCommandLines_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::newRow("restore without --to") << QStringList{u"--restore"_s, u"a.zip"_s};
    QTest::newRow("--to without --restore") << QStringList{u"--to"_s, u"x"_s};
    QTest::newRow("--replace with --skip")
        << QStringList{u"--restore"_s, u"a.zip"_s, u"--to"_s, u"x"_s, u"--replace"_s, u"--skip"_s};
    QTest::newRow("--list with --restore")
        << QStringList{u"--list"_s, u"a.zip"_s, u"--restore"_s, u"a.zip"_s};
    QTest::newRow("--list with --manual") << QStringList{u"--list"_s, u"a.zip"_s, u"--manual"_s, u"b.zip"_s};
    QTest::newRow("--list without archive") << QStringList{u"--list"_s};
    QTest::newRow("--replace with --list") << QStringList{u"--list"_s, u"a.zip"_s, u"--replace"_s};
}

void tst_CliRestore::refusedCommandLines()
{
    QFETCH(QStringList, arguments);
    TempTree tree;
    const Outcome outcome = cli(tree, arguments);
    QCOMPARE(outcome.exitCode, 2);
    QVERIFY2(outcome.err.contains(u"arkivoda-cli --help"_s), qPrintable(outcome.err));
}

QTEST_GUILESS_MAIN(tst_CliRestore)
#include "tst_CliRestore.moc"
