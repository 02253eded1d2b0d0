#include "config/ConfigPaths.h"
#include "config/EConfigError.h"
#include "config/SystemReason.h"

#include "TempTree.h"

#include <QFileInfo>
#include <QtTest>

#include <cerrno>
#include <cstring>

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
    void userFolderIsCreatedWithItsParents_data();
    void userFolderIsCreatedWithItsParents();
    void userFolderThatCannotBeCreatedIsReported();
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

namespace {
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
    QTest::newRow("trailing separators dropped")
        << u"/srv/cfg//"_qs << true << u"/home/ana"_qs << true << u"/srv/cfg"_qs;
    QTest::newRow("root stays root") << u"/"_qs << true << u"/home/ana"_qs << true << u"/"_qs;
    QTest::newRow("HOME when XDG unset")
        << QString() << false << u"/home/ana"_qs << true << u"/home/ana/.config"_qs;
    QTest::newRow("HOME when XDG empty")
        << QString() << true << u"/home/ana"_qs << true << u"/home/ana/.config"_qs;
    QTest::newRow("HOME when XDG relative")
        << u"cfg"_qs << true << u"/home/ana/"_qs << true << u"/home/ana/.config"_qs;
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

void TestConfigPaths::userFolderIsCreatedWithItsParents_data()
{
    QTest::addColumn<QString>("xdg");
    QTest::addColumn<QString>("existing");
    QTest::addColumn<QString>("dataFolder");
    QTest::addColumn<QStringList>("created");

    // A new account has a home, but no ~/.config yet.
    QTest::newRow("no ~/.config") << QString() << u"home"_qs << u"home/.config/Arkivoda"_qs
                                  << QStringList{u"home/.config"_qs, u"home/.config/Arkivoda"_qs};
    QTest::newRow("configuration folder exists")
        << u"config"_qs << u"config"_qs << u"config/Arkivoda"_qs << QStringList{u"config/Arkivoda"_qs};
    QTest::newRow("XDG_CONFIG_HOME not made yet")
        << u"a/b/config"_qs << QString() << u"a/b/config/Arkivoda"_qs
        << QStringList{u"a"_qs, u"a/b"_qs, u"a/b/config"_qs, u"a/b/config/Arkivoda"_qs};
}

void TestConfigPaths::userFolderIsCreatedWithItsParents()
{
    QFETCH(QString, xdg);
    QFETCH(QString, existing);
    QFETCH(QString, dataFolder);
    QFETCH(QStringList, created);

    TempTree tree;
    if (!existing.isEmpty())
        tree.makeDir(existing);
    setOrUnset("XDG_CONFIG_HOME", tree.path(xdg), !xdg.isEmpty());
    qputenv("HOME", tree.path(u"home"_qs).toUtf8());

    QCOMPARE(PrepareUserFolder(), tree.path(dataFolder) + u'/');
    const QFile::Permissions userAlone = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                         QFile::ReadUser | QFile::WriteUser | QFile::ExeUser;
    for (const QString &folder : created) {
        QVERIFY2(QFileInfo(tree.path(folder)).isDir(), qPrintable(folder));
        QCOMPARE(QFileInfo(tree.path(folder)).permissions(), userAlone);
    }

    // An existing folder is kept as it is, with what it holds.
    const QString settings = tree.writeFile(dataFolder + u"/Arkivoda.ini"_qs, "[Program]\r\n");
    QVERIFY(QFile::setPermissions(tree.path(dataFolder), userAlone | QFile::ReadOther | QFile::ExeOther));
    QCOMPARE(PrepareUserFolder(), tree.path(dataFolder) + u'/');
    QVERIFY(QFileInfo::exists(settings));
    QVERIFY(QFileInfo(tree.path(dataFolder)).permissions().testFlag(QFile::ReadOther));
}

void TestConfigPaths::userFolderThatCannotBeCreatedIsReported()
{
    TempTree tree;
    // A file where the configuration folder should be.
    tree.writeFile(u"home/.config"_qs, "x");
    qunsetenv("XDG_CONFIG_HOME");
    qputenv("HOME", tree.path(u"home"_qs).toUtf8());
    const QString dataFolder = tree.path(u"home/.config/Arkivoda/"_qs);
    try {
        PrepareUserFolder();
        QFAIL("the folder was not reported");
    } catch (const EConfigError &error) {
        QCOMPARE(error.operation(), EConfigError::Operation::CreateFolder);
        QCOMPARE(error.fileName(), dataFolder);
        QCOMPARE(error.reason(), tree.path(u"home/.config"_qs) + u": "_qs + SystemReason::text(ENOTDIR));
        QCOMPARE(error.message(), u"Ne mogu napraviti mapu postavki "_qs + dataFolder +
                                      u", pa se postavke ne mogu spremiti ("_qs + error.reason() + u")."_qs);
    }
}

void TestConfigPaths::listSelection_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("lista");
    QTest::addColumn<QString>("caption");

    QTest::newRow("no argument") << QStringList{u"arkivoda"_qs} << QString() << QString();
    QTest::newRow("Posao") << QStringList{u"arkivoda"_qs, u"Posao"_qs} << u"Posao_"_qs << u"Posao"_qs;
    QTest::newRow("only the first counts")
        << QStringList{u"arkivoda"_qs, u"Posao"_qs, u"Kuća"_qs} << u"Posao_"_qs << u"Posao"_qs;
    QTest::newRow("verbatim") << QStringList{u"arkivoda"_qs, u" Moja lista "_qs} << u" Moja lista _"_qs
                              << u" Moja lista "_qs;
    QTest::newRow("empty argument still counts")
        << QStringList{u"arkivoda"_qs, QString()} << u"_"_qs << QString();
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

    QTest::newRow("unnamed") << u"/h/.config/Arkivoda/"_qs << QString()
                             << u"/h/.config/Arkivoda/Arkivoda.ini"_qs
                             << u"/h/.config/Arkivoda/Arkivoda_bcklst.txt"_qs;
    QTest::newRow("Posao") << u"/h/.config/Arkivoda/"_qs << u"Posao_"_qs
                           << u"/h/.config/Arkivoda/Posao_Arkivoda.ini"_qs
                           << u"/h/.config/Arkivoda/Posao_Arkivoda_bcklst.txt"_qs;
    QTest::newRow("separator added") << u"/h/Arkivoda"_qs << u"Posao_"_qs
                                     << u"/h/Arkivoda/Posao_Arkivoda.ini"_qs
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
