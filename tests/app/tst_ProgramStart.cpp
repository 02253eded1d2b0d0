#include "app/TGlavni.h"
#include "config/CliMessageTable.h"
#include "config/ConfigPaths.h"
#include "platform/LocalSocketInstance.h"

#include "GlavniFixture.h"
#include "TempTree.h"

#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

QString programPath()
{
    return qEnvironmentVariable("ARKIVODA_BINARY_DIR") + u"/bin/arkivoda"_s;
}

// The desktop program with a configuration folder and a runtime folder of the test's own, on the
// offscreen platform (or, with display false, with no display at all).
void start(QProcess &process, const QString &configHome, const QStringList &arguments, bool display = true)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(u"XDG_CONFIG_HOME"_s, configHome);
    if (!display) {
        for (const QString &name : {u"QT_QPA_PLATFORM"_s, u"DISPLAY"_s, u"WAYLAND_DISPLAY"_s})
            environment.remove(name);
    }
    process.setProcessEnvironment(environment);
    process.start(programPath(), arguments);
    QVERIFY(process.waitForStarted());
}

} // namespace

// The desktop program as a user starts it, in real processes: the help and the version, and one
// program per configuration, which a second start brings forward.
class TestProgramStart : public QObject
{
    Q_OBJECT

  private slots:
    void init()
    {
        qputenv("XDG_RUNTIME_DIR", m_runtime.makeDir(u"run"_s).toUtf8());
        qputenv("ARKIVODA_START_DELAY_MS", "0");
    }

    // Answered on standard output without a display and without touching a configuration.
    void helpAndVersion_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QByteArray>("settings"); // of the unnamed configuration
        QTest::addColumn<QString>("output");      // how the output begins
        QTest::newRow("--help") << QStringList{u"--help"_s} << QByteArray()
                                << u"Uporaba: arkivoda [lista]\n"_s;
        QTest::newRow("-h") << QStringList{u"-h"_s} << QByteArray() << u"Uporaba: arkivoda [lista]\n"_s;
        QTest::newRow("--version") << QStringList{u"--version"_s} << QByteArray()
                                   << u"arkivoda %1\n"_s.arg(QStringLiteral(ARKIVODA_VERSION));
        QTest::newRow("after a configuration's name")
            << QStringList{u"Posao"_s, u"--help"_s} << QByteArray() << u"Uporaba: arkivoda [lista]\n"_s;
        QTest::newRow("in the configuration's language")
            << QStringList{u"--help"_s} << QByteArray("[Program]\r\nJezik=EN\r\n")
            << u"Usage: arkivoda [list]\n"_s;
    }

    void helpAndVersion()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QByteArray, settings);
        QFETCH(QString, output);
        TempTree tree;
        const QString configHome = tree.makeDir(u"config"_s);
        if (!settings.isEmpty())
            tree.writeFile(u"config/Arkivoda/Arkivoda.ini"_s, settings);
        const QStringList before = QDir(configHome).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);

        QProcess process;
        start(process, configHome, arguments, false);
        QVERIFY(process.waitForFinished(10000));

        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(process.exitCode(), 0);
        const QString out = QString::fromLocal8Bit(process.readAllStandardOutput());
        QVERIFY2(out.startsWith(output), qPrintable(out));
        QCOMPARE(QDir(configHome).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), before);
        QCOMPARE(QDir(configHome + u"/Arkivoda"_s).entryList(QDir::Files),
                 settings.isEmpty() ? QStringList() : QStringList{u"Arkivoda.ini"_s});
    }

    // An unknown option or a surplus operand is refused with the usage on standard error and no
    // window: it is not taken for a configuration's name, and nothing is written.
    void mistakenCommandLine_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("error"); // the first line on standard error
        QTest::newRow("unknown option") << QStringList{u"--bogus"_s} << u"Nepoznata opcija: --bogus"_s;
        QTest::newRow("typo of --version") << QStringList{u"--verison"_s} << u"Nepoznata opcija: --verison"_s;
        QTest::newRow("single dash") << QStringList{u"-x"_s} << u"Nepoznata opcija: -x"_s;
        QTest::newRow("after a configuration's name")
            << QStringList{u"Posao"_s, u"--bogus"_s} << u"Nepoznata opcija: --bogus"_s;
        QTest::newRow("second operand") << QStringList{u"Posao"_s, u"Kuca"_s} << u"Suvišan argument: Kuca"_s;
    }

    void mistakenCommandLine()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, error);
        TempTree tree;
        const QString configHome = tree.makeDir(u"config"_s);

        QProcess process;
        start(process, configHome, arguments);
        const bool finished = process.waitForFinished(10000);
        if (!finished) {
            process.kill();
            process.waitForFinished();
        }
        QVERIFY2(finished, "the program kept running");

        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(process.exitCode(), 2);
        const QString err = QString::fromLocal8Bit(process.readAllStandardError());
        QVERIFY2(err.startsWith(error + u'\n'), qPrintable(err));
        QVERIFY2(err.contains(u"Uporaba: arkivoda [lista]\n"_s), qPrintable(err));
        QVERIFY(process.readAllStandardOutput().isEmpty());
        QCOMPARE(QDir(configHome).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList());
    }

    // The toolkit's own options pass: the program runs on the configuration named beside them.
    void toolkitOptionsPass()
    {
        GlavniFixture fixture;
        fixture.tree.writeFile(u"config/Arkivoda/Posao_Arkivoda_bcklst.txt"_s,
                               (fixture.tree.path(u"izvor"_s) + u"\r\n"_s).toUtf8());
        const QString posao = SettingsFileName(fixture.dataFolder, u"Posao_"_s);

        QProcess process;
        start(process, fixture.tree.path(u"config"_s), {u"-platform"_s, u"offscreen"_s, u"Posao"_s});
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(LocalSocketInstance::socketPath(posao)) ||
                                     process.state() == QProcess::NotRunning,
                                 10000);
        QCOMPARE(process.state(), QProcess::Running);
        process.kill();
        QVERIFY(process.waitForFinished());
    }

    // The info texts beside the program describe both programs' command lines as they are: every
    // option that the help of either names.
    void infoTextsNameEveryOption_data()
    {
        QTest::addColumn<QString>("file");
        QTest::newRow("HR") << u"Arkivoda_Info_HR.txt"_s;
        QTest::newRow("EN") << u"Arkivoda_Info_EN.txt"_s;
    }

    void infoTextsNameEveryOption()
    {
        QFETCH(QString, file);
        QFile info(qEnvironmentVariable("ARKIVODA_BINARY_DIR") + u"/bin/"_s + file);
        QVERIFY2(info.open(QIODevice::ReadOnly), qPrintable(info.fileName()));
        const QString text = QString::fromUtf8(info.readAll());

        const QString help = CliMessageTable::text(CliMsg::Help) + CliMessageTable::text(CliMsg::DesktopHelp);
        const QRegularExpression option(u"--[a-z]+"_s);
        QStringList missing;
        for (const QRegularExpressionMatch &match : option.globalMatch(help)) {
            if (!text.contains(match.captured()) && !missing.contains(match.captured()))
                missing << match.captured();
        }
        QVERIFY2(missing.isEmpty(), qPrintable(missing.join(u' ')));
    }

    // A second start on a configuration that a window holds ends at once and brings that window
    // forward, out of the tray.
    void aSecondStartBringsTheWindowForward()
    {
        GlavniFixture fixture;
        LocalSocketInstance instance;
        QVERIFY(instance.claim(SettingsFileName(fixture.dataFolder, QString())));
        fixture.desktop.instance = &instance;
        TGlavni &window = fixture.create();
        window.hide();
        QVERIFY(!window.isVisible());

        QProcess second;
        start(second, fixture.tree.path(u"config"_s), {});
        QTRY_COMPARE_WITH_TIMEOUT(second.state(), QProcess::NotRunning, 10000);

        QCOMPARE(second.exitStatus(), QProcess::NormalExit);
        QCOMPARE(second.exitCode(), 0);
        QTRY_VERIFY(window.isVisible());
        QVERIFY(!window.isMinimized());
    }

    // Another configuration's program runs beside it; when that one crashes, its socket file is left
    // behind, and the next start on its configuration runs all the same.
    void anotherConfigurationAndACrash()
    {
        GlavniFixture fixture;
        fixture.tree.writeFile(u"config/Arkivoda/Posao_Arkivoda_bcklst.txt"_s,
                               (fixture.tree.path(u"izvor"_s) + u"\r\n"_s).toUtf8());
        LocalSocketInstance holder;
        QVERIFY(holder.claim(SettingsFileName(fixture.dataFolder, QString())));
        const QString posao = SettingsFileName(fixture.dataFolder, u"Posao_"_s);

        QProcess other;
        start(other, fixture.tree.path(u"config"_s), {u"Posao"_s});
        // It holds its own configuration: once it listens, a claim on it is refused.
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(LocalSocketInstance::socketPath(posao)), 10000);
        QVERIFY(!LocalSocketInstance().claim(posao));
        QCOMPARE(other.state(), QProcess::Running);

        other.kill();
        QVERIFY(other.waitForFinished());
        QVERIFY(QFileInfo::exists(LocalSocketInstance::socketPath(posao)));
        LocalSocketInstance next;
        int forwards = 0;
        next.setForwardRequestHandler([&forwards] { ++forwards; });
        QVERIFY(next.claim(posao));

        QProcess again;
        start(again, fixture.tree.path(u"config"_s), {u"Posao"_s});
        QTRY_COMPARE_WITH_TIMEOUT(again.state(), QProcess::NotRunning, 10000);
        QCOMPARE(again.exitCode(), 0);
        QTRY_COMPARE(forwards, 1);
    }

  private:
    TempTree m_runtime;
};

QTEST_MAIN(TestProgramStart)
#include "tst_ProgramStart.moc"
