#include "config/ConfigPaths.h"

#include "TempTree.h"

#include <QFileInfo>
#include <QtTest>

// Each test sets the environment it needs; the original values come back afterwards.
class TestConfigPaths : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void appDataPath_data();
    void appDataPath();
    void userFolderFor_data();
    void userFolderFor();
    void userFolderIsCreatedOneLevelOnly();
    void listSelection_data();
    void listSelection();
    void fileNames_data();
    void fileNames();

private:
    QByteArray m_xdg;
    QByteArray m_home;
    bool m_hadXdg = false;
    bool m_hadHome = false;
};

namespace
{
void setOrUnset(const char *name, const QString &value, bool set)
{
    if (set)
        qputenv(name, value.toUtf8());
    else
        qunsetenv(name);
}
} // namespace

void TestConfigPaths::init()
{
    m_hadXdg = qEnvironmentVariableIsSet("XDG_CONFIG_HOME");
    m_hadHome = qEnvironmentVariableIsSet("HOME");
    m_xdg = qgetenv("XDG_CONFIG_HOME");
    m_home = qgetenv("HOME");
}

void TestConfigPaths::cleanup()
{
    setOrUnset("XDG_CONFIG_HOME", QString::fromUtf8(m_xdg), m_hadXdg);
    setOrUnset("HOME", QString::fromUtf8(m_home), m_hadHome);
}

void TestConfigPaths::appDataPath_data()
{
    QTest::addColumn<QString>("xdg");
    QTest::addColumn<bool>("xdgSet");
    QTest::addColumn<QString>("home");
    QTest::addColumn<bool>("homeSet");
    QTest::addColumn<QString>("expected");

    QTest::newRow("XDG_CONFIG_HOME") << u"/srv/cfg"_qs << true << u"/home/ana"_qs << true << u"/srv/cfg"_qs;
    QTest::newRow("trailing separators dropped") << u"/srv/cfg//"_qs << true << u"/home/ana"_qs << true
                                                 << u"/srv/cfg"_qs;
    QTest::newRow("root stays root") << u"/"_qs << true << u"/home/ana"_qs << true << u"/"_qs;
    QTest::newRow("HOME when XDG unset") << QString() << false << u"/home/ana"_qs << true << u"/home/ana/.config"_qs;
    QTest::newRow("HOME when XDG empty") << QString() << true << u"/home/ana"_qs << true << u"/home/ana/.config"_qs;
    QTest::newRow("HOME when XDG relative") << u"cfg"_qs << true << u"/home/ana/"_qs << true << u"/home/ana/.config"_qs;
    QTest::newRow("neither") << QString() << false << QString() << false << QString();
    QTest::newRow("both empty") << QString() << true << QString() << true << QString();
}

void TestConfigPaths::appDataPath()
{
    QFETCH(QString, xdg);
    QFETCH(bool, xdgSet);
    QFETCH(QString, home);
    QFETCH(bool, homeSet);
    QFETCH(QString, expected);

    setOrUnset("XDG_CONFIG_HOME", xdg, xdgSet);
    setOrUnset("HOME", home, homeSet);
    QCOMPARE(GetGBAppDataPath(), expected);
}

void TestConfigPaths::userFolderFor_data()
{
    QTest::addColumn<QString>("appData");
    QTest::addColumn<QString>("expected");

    QTest::newRow("plain") << u"/home/ana/.config"_qs << u"/home/ana/.config/Arkivoda/"_qs;
    QTest::newRow("ends in separator") << u"/home/ana/.config/"_qs << u"/home/ana/.config/Arkivoda/"_qs;
    QTest::newRow("empty: at the root") << QString() << u"/Arkivoda/"_qs;
}

void TestConfigPaths::userFolderFor()
{
    QFETCH(QString, appData);
    QFETCH(QString, expected);
    QCOMPARE(UserFolderFor(appData), expected);
}

void TestConfigPaths::userFolderIsCreatedOneLevelOnly()
{
    TempTree tree;
    const QString config = tree.makeDir(QStringLiteral("config"));
    qputenv("XDG_CONFIG_HOME", config.toUtf8());
    QCOMPARE(PrepareUserFolder(), config + QStringLiteral("/Arkivoda/"));
    QVERIFY(QFileInfo(config + QStringLiteral("/Arkivoda")).isDir());
    // An existing folder is kept as it is.
    tree.writeFile(QStringLiteral("config/Arkivoda/Arkivoda.ini"), "[Program]\r\n");
    QCOMPARE(PrepareUserFolder(), config + QStringLiteral("/Arkivoda/"));
    QVERIFY(QFileInfo::exists(config + QStringLiteral("/Arkivoda/Arkivoda.ini")));

    const QString absent = tree.path(QStringLiteral("absent/config"));
    qputenv("XDG_CONFIG_HOME", absent.toUtf8());
    QCOMPARE(PrepareUserFolder(), absent + QStringLiteral("/Arkivoda/"));
    QVERIFY(!QFileInfo::exists(tree.path(QStringLiteral("absent"))));
    QVERIFY(!CreateUserFolder(absent + QStringLiteral("/Arkivoda/")));
}

void TestConfigPaths::listSelection_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("lista");
    QTest::addColumn<QString>("caption");

    QTest::newRow("no argument") << QStringList{u"arkivoda"_qs} << QString() << QString();
    QTest::newRow("Posao") << QStringList{u"arkivoda"_qs, u"Posao"_qs} << u"Posao_"_qs << u"Posao"_qs;
    QTest::newRow("only the first counts") << QStringList{u"arkivoda"_qs, u"Posao"_qs, u"Kuća"_qs} << u"Posao_"_qs
                                           << u"Posao"_qs;
    QTest::newRow("verbatim") << QStringList{u"arkivoda"_qs, u" Moja lista "_qs} << u" Moja lista _"_qs
                              << u" Moja lista "_qs;
    QTest::newRow("empty argument still counts") << QStringList{u"arkivoda"_qs, QString()} << u"_"_qs << QString();
}

void TestConfigPaths::listSelection()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, lista);
    QFETCH(QString, caption);

    const ListSelection selection = ListSelection::fromApplicationArguments(arguments);
    QCOMPARE(selection.GLOBAL_lista, lista);
    QCOMPARE(selection.GLOBAL_lista_caption, caption);
}

void TestConfigPaths::fileNames_data()
{
    QTest::addColumn<QString>("userfolder");
    QTest::addColumn<QString>("lista");
    QTest::addColumn<QString>("settingsFile");
    QTest::addColumn<QString>("listFile");

    QTest::newRow("unnamed") << u"/h/.config/Arkivoda/"_qs << QString() << u"/h/.config/Arkivoda/Arkivoda.ini"_qs
                             << u"/h/.config/Arkivoda/Arkivoda_bcklst.txt"_qs;
    QTest::newRow("Posao") << u"/h/.config/Arkivoda/"_qs << u"Posao_"_qs
                           << u"/h/.config/Arkivoda/Posao_Arkivoda.ini"_qs
                           << u"/h/.config/Arkivoda/Posao_Arkivoda_bcklst.txt"_qs;
    QTest::newRow("separator added") << u"/h/Arkivoda"_qs << u"Posao_"_qs << u"/h/Arkivoda/Posao_Arkivoda.ini"_qs
                                     << u"/h/Arkivoda/Posao_Arkivoda_bcklst.txt"_qs;
}

void TestConfigPaths::fileNames()
{
    QFETCH(QString, userfolder);
    QFETCH(QString, lista);
    QFETCH(QString, settingsFile);
    QFETCH(QString, listFile);

    QCOMPARE(SettingsFileName(userfolder, lista), settingsFile);
    QCOMPARE(ListFileName(userfolder, lista), listFile);
}

QTEST_GUILESS_MAIN(TestConfigPaths)
#include "tst_ConfigPaths.moc"
