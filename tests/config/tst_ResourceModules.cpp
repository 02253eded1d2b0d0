#include "config/EResNotFound.h"
#include "config/LanguageModule.h"
#include "config/MessageTable.h"
#include "config/ResourceModules.h"

#include "ModuleFiles.h"
#include "TempTree.h"

#include <QCoreApplication>
#include <QTest>

class TestResourceModules : public QObject
{
    Q_OBJECT

    // A program file in a folder of its own, with the modules a test puts beside it.
    struct ProgramFolder
    {
        ProgramFolder() { SetResourceProgramFile(tree.path(QStringLiteral("bin/arkivoda"))); }
        ~ProgramFolder()
        {
            SetResourceHInstance(nullptr);
            SetResourceProgramFile(QString());
        }

        // A module whose message 65015 and window text carry the given word.
        void addModule(const QString &name, const QString &word) const
        {
            tree.makeDir(QStringLiteral("bin"));
            const QString source = ModuleFiles::translationSource(
                {{QStringLiteral("Poruke"), {{QStringLiteral("65015"), word}}},
                 {QStringLiteral("TGlavni"), {{QStringLiteral("&Jezik"), word}}}});
            QCOMPARE(ModuleFiles::compile(source, tree.path(QStringLiteral("bin/") + name)), QString());
        }

        TempTree tree;
    };

  private slots:
    void moduleFileNames_data()
    {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QString>("abbreviation");
        QTest::addColumn<QString>("module");
        QTest::newRow("no .exe: appended") << QStringLiteral("/usr/bin/arkivoda") << QStringLiteral("ENU")
                                           << QStringLiteral("/usr/bin/arkivoda.ENU");
        QTest::newRow("two letters") << QStringLiteral("/usr/bin/arkivoda") << QStringLiteral("EN")
                                     << QStringLiteral("/usr/bin/arkivoda.EN");
        QTest::newRow(".exe replaced") << QStringLiteral("/opt/Arkivoda.exe") << QStringLiteral("HRV")
                                       << QStringLiteral("/opt/Arkivoda.HRV");
        QTest::newRow("any letter case") << QStringLiteral("/opt/ARKIVODA.EXE") << QStringLiteral("ENU")
                                         << QStringLiteral("/opt/ARKIVODA.ENU");
        QTest::newRow("the first .exe, in a folder name")
            << QStringLiteral("/opt/stari.exe/Arkivoda.exe") << QStringLiteral("ENU")
            << QStringLiteral("/opt/stari.ENU/Arkivoda.exe");
    }

    void moduleFileNames()
    {
        QFETCH(QString, program);
        QFETCH(QString, abbreviation);
        QFETCH(QString, module);
        QCOMPARE(ResourceModuleFileName(program, abbreviation), module);
    }

    void localeAbbreviations()
    {
        QCOMPARE(LocaleAbbreviation(localeCroatian), QStringLiteral("HRV"));
        QCOMPARE(LocaleAbbreviation(localeEnglish), QStringLiteral("ENU"));
        QCOMPARE(LocaleAbbreviation(1031), QString());
        QVERIFY(!LoadNewResourceModule(1031));
    }

    void threeLettersFirstThenTwo_data()
    {
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QString>("loaded");
        QTest::newRow("both") << QStringList{QStringLiteral("arkivoda.ENU"), QStringLiteral("arkivoda.EN")}
                              << QStringLiteral("arkivoda.ENU");
        QTest::newRow("only two letters")
            << QStringList{QStringLiteral("arkivoda.EN")} << QStringLiteral("arkivoda.EN");
        QTest::newRow("none") << QStringList{QStringLiteral("arkivoda.HRV")} << QString();
    }

    void threeLettersFirstThenTwo()
    {
        QFETCH(QStringList, files);
        QFETCH(QString, loaded);
        ProgramFolder folder;
        for (const QString &file : files)
            folder.addModule(file, file);
        LanguageModule *module = LoadNewResourceModule(localeEnglish);
        if (loaded.isEmpty()) {
            QVERIFY(!module);
            QVERIFY(!CurrentResourceModule());
            QCOMPARE(MessageTable::text(Msg::StatusIdle), QStringLiteral("čekam..."));
            return;
        }
        QVERIFY(module);
        QCOMPARE(CurrentResourceModule(), module);
        QCOMPARE(module->fileName(), folder.tree.path(QStringLiteral("bin/") + loaded));
        QCOMPARE(MessageTable::text(Msg::StatusIdle), loaded);
        QCOMPARE(QCoreApplication::translate("TGlavni", "&Jezik"), loaded);
    }

    // Only a module that loads changes the text source; a failed load leaves the one in use.
    void aFailedLoadKeepsTheModuleInUse()
    {
        ProgramFolder folder;
        folder.addModule(QStringLiteral("arkivoda.ENU"), QStringLiteral("waiting..."));
        folder.tree.writeFile(QStringLiteral("bin/arkivoda.HRV"), "not a module");
        QVERIFY(LoadNewResourceModule(localeEnglish));
        QVERIFY(!LoadNewResourceModule(localeCroatian));
        QCOMPARE(MessageTable::text(Msg::StatusIdle), QStringLiteral("waiting..."));
        QCOMPARE(QCoreApplication::translate("TGlavni", "&Jezik"), QStringLiteral("waiting..."));
    }

    void aSwitchReplacesAndReleasesTheModule()
    {
        ProgramFolder folder;
        folder.addModule(QStringLiteral("arkivoda.ENU"), QStringLiteral("English"));
        folder.addModule(QStringLiteral("arkivoda.HRV"), QStringLiteral("Hrvatski"));
        QVERIFY(LoadNewResourceModule(localeEnglish));
        QVERIFY(LoadNewResourceModule(localeCroatian));
        // One translator at a time: the English one is gone, not merely outranked.
        folder.tree.writeFile(QStringLiteral("bin/arkivoda.HRV"), "not a module");
        QCOMPARE(QCoreApplication::translate("TGlavni", "&Jezik"), QStringLiteral("Hrvatski"));
        SetResourceHInstance(nullptr);
        QCOMPARE(QCoreApplication::translate("TGlavni", "&Jezik"), QStringLiteral("&Jezik"));
        QCOMPARE(MessageTable::text(Msg::StatusIdle), QStringLiteral("čekam..."));
    }

    // A message or a window description missing from the module in use reads as missing, not as the
    // built-in text.
    void theCompletenessRule()
    {
        ProgramFolder folder;
        QVERIFY(HasWindowDescription("TOdabirBaze"));
        RequireWindowDescription("TOdabirBaze");
        folder.addModule(QStringLiteral("arkivoda.ENU"), QStringLiteral("waiting..."));
        QVERIFY(LoadNewResourceModule(localeEnglish));
        QCOMPARE(MessageTable::text(Msg::StatusSettingsIdle), QString());
        QVERIFY(HasWindowDescription("TGlavni"));
        QVERIFY(!HasWindowDescription("TOdabirBaze"));
        RequireWindowDescription("TGlavni");
        try {
            RequireWindowDescription("TOdabirBaze");
            QFAIL("a window without its description was allowed");
        } catch (const EResNotFound &failure) {
            QCOMPARE(QString::fromUtf8(failure.what()), QStringLiteral("Resource TOdabirBaze not found"));
        }
    }
};

QTEST_GUILESS_MAIN(TestResourceModules)
#include "tst_ResourceModules.moc"
