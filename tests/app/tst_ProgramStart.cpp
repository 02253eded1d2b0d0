#include "TempTree.h"

#include <QDir>
#include <QProcess>
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

// The desktop program as a user starts it, in real processes.
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

  private:
    TempTree m_runtime;
};

QTEST_MAIN(TestProgramStart)
#include "tst_ProgramStart.moc"
