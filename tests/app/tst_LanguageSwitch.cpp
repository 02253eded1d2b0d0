#include "app/TForm_FilesMissing.h"
#include "app/TGlavni.h"
#include "config/ConfigLock.h"
#include "config/MessageTable.h"
#include "config/ResourceModules.h"
#include "ui/ApplicationError.h"

#include "FakeDesktop.h"
#include "FileSizeLimit.h"
#include "ModuleFiles.h"
#include "TempTree.h"

#include <QAction>
#include <QCheckBox>
#include <QCommandLinkButton>
#include <QDialogButtonBox>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTest>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <chrono>

class TestLanguageSwitch : public QObject
{
    Q_OBJECT

    // The program in a folder of its own with the language modules a test gives it, a configuration
    // named Posao (list, archive folder, last archive, the daily run and the stored language), and the
    // main window over fake desktop services.
    struct Fixture
    {
        Fixture(const QStringList &modules, const QString &jezik, bool timerEnabled = false)
        {
            SetResourceProgramFile(tree.path(QStringLiteral("bin/arkivoda")));
            tree.makeDir(QStringLiteral("bin"));
            for (const QString &abbreviation : modules)
                QFile::copy(ModuleFiles::builtModule(abbreviation),
                            tree.path(QStringLiteral("bin/arkivoda.") + abbreviation));
            qputenv("XDG_CONFIG_HOME", tree.path(QStringLiteral("config")).toUtf8());
            archiveFolder = tree.makeDir(QStringLiteral("arhiva")) + QLatin1Char('/');
            tree.writeFile(QStringLiteral("config/Arkivoda/Posao_Arkivoda_bcklst.txt"),
                           tree.makeDir(QStringLiteral("izvor")).toUtf8() + "\r\n");
            QString settings =
                QStringLiteral("[LokacijaAuto]\r\nPutanja=") + archiveFolder +
                QStringLiteral("\r\n[Last]\r\nFileA=/arhiva/Arhiva_1.zip\r\n[Timer]\r\nEnabled=") +
                (timerEnabled ? QStringLiteral("1") : QStringLiteral("0")) + QStringLiteral("\r\n");
            if (!jezik.isEmpty())
                settings += QStringLiteral("[Program]\r\nJezik=") + jezik + QStringLiteral("\r\n");
            tree.writeFile(QStringLiteral("config/Arkivoda/Posao_Arkivoda.ini"), settings.toUtf8());
        }

        ~Fixture()
        {
            window.reset();
            SetResourceHInstance(nullptr);
            SetResourceProgramFile(QString());
        }

        TGlavni &open()
        {
            window = std::make_unique<TGlavni>(
                QStringList{QStringLiteral("arkivoda"), QStringLiteral("Posao")}, desktop.services());
            window->show();
            return *window;
        }

        template <typename T = QWidget> T *control(const char *name) const
        {
            return requireControl<T>(*window, name);
        }

        QString text(const char *name) const { return control<QLabel>(name)->text(); }
        QAction *action(const char *name) const { return control<QAction>(name); }
        QString autoButton() const { return control<QCommandLinkButton>("AutoZ")->text(); }
        bool englishChecked() const
        {
            return action("MM_Engleski")->isChecked() && !action("MM_Hrvatski")->isChecked();
        }
        bool croatianChecked() const
        {
            return action("MM_Hrvatski")->isChecked() && !action("MM_Engleski")->isChecked();
        }
        QString settingsText() const
        {
            QFile file(tree.path(QStringLiteral("config/Arkivoda/Posao_Arkivoda.ini")));
            return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
        }
        void replaceModule(const QString &abbreviation, const QString &source) const
        {
            const QString file = tree.path(QStringLiteral("bin/arkivoda.") + abbreviation);
            QFile::remove(file);
            QCOMPARE(ModuleFiles::compile(source, file), QString());
        }

        TempTree tree;
        QString archiveFolder;
        FakeDesktop desktop;
        std::unique_ptr<TGlavni> window;
    };

  private slots:
    void initTestCase() { QCoreApplication::setApplicationName(QStringLiteral("Arkivoda")); }

    void switchToEnglishAndBackWithWindowsOpen_data()
    {
        QTest::addColumn<bool>("timerEnabled");
        QTest::newRow("daily run on") << true;
        QTest::newRow("daily run off") << false;
    }

    // Every open window changes language at once; what the run and the settings put in the window stays.
    void switchToEnglishAndBackWithWindowsOpen()
    {
        QFETCH(bool, timerEnabled);
        Fixture fixture({QStringLiteral("HRV"), QStringLiteral("ENU")}, QString(), timerEnabled);
        TGlavni &window = fixture.open();
        TForm_FilesMissing missing(QStringLiteral("Arkivoda"), &window);
        missing.setLines({QStringLiteral("/nema/a.txt")});
        missing.show();
        QCOMPARE(fixture.autoButton(), QStringLiteral("&Automatsko arhiviranje"));

        fixture.action("MM_Engleski")->trigger();
        QCOMPARE(fixture.autoButton(), QStringLiteral("&Automatic backup"));
        QCOMPARE(fixture.control<QMenu>("MM_Jezik")->title(), QStringLiteral("&Language"));
        QCOMPARE(fixture.action("TPP_Restore")->text(), QStringLiteral("&Open Arkivoda"));
        QCOMPARE(fixture.text("Label1"), QStringLiteral("Preset archive folder:"));
        QCOMPARE(window.windowTitle(), QStringLiteral("Arkivoda - current list: Posao"));
        QCOMPARE(fixture.desktop.tray.toolTip,
                 window.windowTitle() + QStringLiteral("\nLast successful backup: none yet"));
        QCOMPARE(fixture.text("LBL_Zadnje"), QStringLiteral("Last successful backup: none yet"));
        QCOMPARE(fixture.text("LBL_Status"), QStringLiteral("waiting..."));
        QCOMPARE(fixture.text("LBL_MapaArhiva"), fixture.archiveFolder);
        QCOMPARE(fixture.text("LokacijaA"), QStringLiteral("/arhiva/Arhiva_1.zip"));
        QCOMPARE(fixture.text("LokacijaR"), QStringLiteral("-"));
        QCOMPARE(window.autoTimer().isActive(), timerEnabled);
        QVERIFY(fixture.englishChecked());
        QCOMPARE(window.settings().GLOBAL_Jezik, QStringLiteral("EN"));
        QVERIFY(fixture.settingsText().contains(QStringLiteral("[Program]\r\nJezik=EN\r\n")));
        QCOMPARE(missing.windowTitle(),
                 QStringLiteral("Arkivoda - files and folders that were not found or were not available "
                                "during the backup"));
        QCOMPARE(missing.findChild<QPushButton *>(QStringLiteral("OKButton"))->text(),
                 QStringLiteral("&Close"));
        QCOMPARE(missing.lines(), QStringList{QStringLiteral("/nema/a.txt")});
        // A message looked up later comes from the module too.
        QCOMPARE(MessageTable::text(Msg::CaptionError), QStringLiteral("Error"));
        // Qt's own texts follow the language: standard buttons, the file dialogs.
        QCOMPARE(QDialogButtonBox(QDialogButtonBox::Cancel).button(QDialogButtonBox::Cancel)->text(),
                 QStringLiteral("Cancel"));
        QCOMPARE(QCoreApplication::translate("QFileDialog", "Look in:"), QStringLiteral("Look in:"));

        fixture.action("MM_Hrvatski")->trigger();
        QCOMPARE(fixture.autoButton(), QStringLiteral("&Automatsko arhiviranje"));
        QCOMPARE(fixture.control<QMenu>("MM_Jezik")->title(), QStringLiteral("&Jezik"));
        QCOMPARE(window.windowTitle(), QStringLiteral("Arkivoda - aktualna lista: Posao"));
        QCOMPARE(fixture.text("LBL_Status"), QStringLiteral("čekam..."));
        QCOMPARE(fixture.text("LokacijaA"), QStringLiteral("/arhiva/Arhiva_1.zip"));
        QCOMPARE(window.autoTimer().isActive(), timerEnabled);
        QVERIFY(fixture.croatianChecked());
        QVERIFY(fixture.settingsText().contains(QStringLiteral("[Program]\r\nJezik=HR\r\n")));
        QCOMPARE(missing.findChild<QPushButton *>(QStringLiteral("OKButton"))->text(),
                 QStringLiteral("&Zatvori"));
        QCOMPARE(QDialogButtonBox(QDialogButtonBox::Cancel).button(QDialogButtonBox::Cancel)->text(),
                 QStringLiteral("Odustani"));
        QCOMPARE(QCoreApplication::translate("QFileDialog", "Look in:"), QStringLiteral("Pogledaj u:"));
    }

    void aSwitchWithoutItsModuleChangesNothing_data()
    {
        QTest::addColumn<QStringList>("modules");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("item");
        QTest::addColumn<bool>("english");
        QTest::newRow("to English, no English module")
            << QStringList{QStringLiteral("HRV")} << QString() << QStringLiteral("MM_Engleski") << false;
        QTest::newRow("back to Croatian, no Croatian module")
            << QStringList{QStringLiteral("ENU")} << QStringLiteral("EN") << QStringLiteral("MM_Hrvatski")
            << true;
    }

    void aSwitchWithoutItsModuleChangesNothing()
    {
        QFETCH(QStringList, modules);
        QFETCH(QString, stored);
        QFETCH(QString, item);
        QFETCH(bool, english);
        Fixture fixture(modules, stored);
        const TGlavni &window = fixture.open();
        const QString settingsBefore = fixture.settingsText();
        const QString buttonBefore = fixture.autoButton();
        const QString titleBefore = window.windowTitle();

        fixture.action(item.toLatin1().constData())->trigger();
        QCOMPARE(fixture.autoButton(), buttonBefore);
        QCOMPARE(window.windowTitle(), titleBefore);
        QCOMPARE(fixture.settingsText(), settingsBefore);
        QCOMPARE(window.settings().GLOBAL_Jezik, english ? QStringLiteral("EN") : QStringLiteral("HR"));
        QVERIFY(english ? fixture.englishChecked() : fixture.croatianChecked());
    }

    void aSwitchThatCannotBeStoredChangesNothing_data()
    {
        QTest::addColumn<bool>("locked");
        QTest::newRow("settings file cannot be written") << false;
        QTest::newRow("another process holds the configuration") << true;
    }

    // A choice that cannot be stored switches nothing: the texts, the module in use, the check marks and
    // the stored choice all stay Croatian, and the next try that can store switches.
    void aSwitchThatCannotBeStoredChangesNothing()
    {
        QFETCH(bool, locked);
        Fixture fixture({QStringLiteral("HRV"), QStringLiteral("ENU")}, QStringLiteral("HR"));
        TGlavni &window = fixture.open();
        TForm_FilesMissing missing(QStringLiteral("Arkivoda"), &window);
        missing.show();
        const QString settingsBefore = fixture.settingsText();
        QStringList errors;
        SetApplicationErrorHook([&errors](const QString &text) { errors << text; });
        if (locked) {
            const QByteArray lockName =
                QFile::encodeName(fixture.tree.path(QStringLiteral("config/Arkivoda/Posao_Arkivoda.lock")));
            const int held = ::open(lockName.constData(), O_RDONLY | O_CREAT | O_CLOEXEC, 0644);
            QVERIFY(held >= 0);
            QCOMPARE(::flock(held, LOCK_EX | LOCK_NB), 0);
            ConfigLock::setMaximumWait(std::chrono::milliseconds(100));
            fixture.action("MM_Engleski")->trigger();
            ConfigLock::setMaximumWait(std::chrono::seconds(10));
            ::close(held);
        } else {
            // No byte can be written, whoever runs the test.
            const FileSizeLimit full{0};
            fixture.action("MM_Engleski")->trigger();
        }
        SetApplicationErrorHook({});
        QCOMPARE(errors.size(), 1);
        const QString settingsFile = fixture.tree.path(QStringLiteral("config/Arkivoda/Posao_Arkivoda.ini"));
        const QString expected =
            locked ? QString(u"Datoteku "_qs + settingsFile + u" upravo mijenja drugi proces"_qs)
                   : MessageTable::fill(MessageTable::text(Msg::ErrorFileNotWritten), {settingsFile});
        QVERIFY2(errors.first().startsWith(expected), qPrintable(errors.first()));
        QCOMPARE(fixture.settingsText(), settingsBefore);
        QVERIFY(fixture.croatianChecked());
        QCOMPARE(window.settings().GLOBAL_Jezik, QStringLiteral("HR"));
        QVERIFY(CurrentResourceModule()->fileName().endsWith(QStringLiteral(".HRV")));
        QCOMPARE(MessageTable::text(Msg::CaptionError), QStringLiteral("Greška"));
        QCOMPARE(fixture.autoButton(), QStringLiteral("&Automatsko arhiviranje"));
        QCOMPARE(fixture.control<QMenu>("MM_Jezik")->title(), QStringLiteral("&Jezik"));
        QCOMPARE(window.windowTitle(), QStringLiteral("Arkivoda - aktualna lista: Posao"));
        QCOMPARE(fixture.desktop.tray.toolTip,
                 window.windowTitle() + QStringLiteral("\nZadnje uspješno arhiviranje: još nijedno"));
        QCOMPARE(fixture.text("LBL_Status"), QStringLiteral("čekam..."));
        QCOMPARE(missing.findChild<QPushButton *>(QStringLiteral("OKButton"))->text(),
                 QStringLiteral("&Zatvori"));

        fixture.action("MM_Engleski")->trigger();
        QVERIFY(fixture.englishChecked());
        QCOMPARE(fixture.autoButton(), QStringLiteral("&Automatic backup"));
        QVERIFY(fixture.settingsText().contains(QStringLiteral("[Program]\r\nJezik=EN\r\n")));
    }

    // A module that lacks a message shows an empty text where it is used; the rest is English.
    void aModuleMissingOneMessage()
    {
        Fixture fixture({QStringLiteral("HRV")}, QString());
        fixture.replaceModule(QStringLiteral("ENU"),
                              ModuleFiles::withoutMessage(ModuleFiles::programSource(QStringLiteral("ENU")),
                                                          QStringLiteral("Poruke"), QStringLiteral("65015")));
        fixture.open();
        fixture.action("MM_Engleski")->trigger();
        QCOMPARE(fixture.autoButton(), QStringLiteral("&Automatic backup"));
        QCOMPARE(fixture.text("LBL_Status"), QString());
        QCOMPARE(MessageTable::text(Msg::StatusSettingsIdle), QStringLiteral("waiting..."));
    }

    // A module without a window's description refuses that window with the application's error
    // dialog; the program goes on, and a countdown that cannot be shown does not end the session.
    void aWindowMissingFromTheModuleIsRefused_data()
    {
        QTest::addColumn<QString>("windowClass");
        QTest::newRow("settings") << QStringLiteral("TOdabirBaze");
        QTest::newRow("about") << QStringLiteral("TAboutBox");
        QTest::newRow("countdown") << QStringLiteral("TGasenjeBox");
    }

    void aWindowMissingFromTheModuleIsRefused()
    {
        QFETCH(QString, windowClass);
        Fixture fixture({QStringLiteral("HRV")}, QString());
        fixture.replaceModule(
            QStringLiteral("ENU"),
            ModuleFiles::withoutContext(ModuleFiles::programSource(QStringLiteral("ENU")), windowClass));
        QStringList errors;
        SetApplicationErrorHook([&errors](const QString &text) { errors << text; });
        TGlavni &window = fixture.open();
        fixture.action("MM_Engleski")->trigger();
        QVERIFY(fixture.englishChecked());

        if (windowClass == QStringLiteral("TOdabirBaze")) {
            fixture.action("MM_Lista")->trigger();
        } else if (windowClass == QStringLiteral("TAboutBox")) {
            window.MM_OprogramuClick();
        } else {
            fixture.control<QCheckBox>("CB_Shutdown")->setChecked(true);
            window.AutomatskoGasenje();
            QVERIFY(fixture.desktop.session.calls.isEmpty());
        }
        SetApplicationErrorHook({});
        QCOMPARE(errors, QStringList{QStringLiteral("Resource %1 not found").arg(windowClass)});
        QVERIFY(window.isVisible());
    }

    void theStoredLanguageAtStart_data()
    {
        QTest::addColumn<QStringList>("modules");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<bool>("english");
        QTest::addColumn<QString>("jezik");
        const QStringList both{QStringLiteral("HRV"), QStringLiteral("ENU")};
        QTest::newRow("EN") << both << QStringLiteral("EN") << true << QStringLiteral("EN");
        QTest::newRow("EN, only the two-letter module")
            << QStringList{QStringLiteral("EN")} << QStringLiteral("EN") << true << QStringLiteral("EN");
        // In memory only: the file keeps EN for a start that finds the module.
        QTest::newRow("EN without the module")
            << QStringList{QStringLiteral("HRV")} << QStringLiteral("EN") << false << QStringLiteral("HR");
        QTest::newRow("en in lower case") << both << QStringLiteral("en") << false << QStringLiteral("en");
        QTest::newRow("HR") << both << QStringLiteral("HR") << false << QStringLiteral("HR");
        QTest::newRow("nothing stored") << both << QString() << false << QStringLiteral("HR");
    }

    void theStoredLanguageAtStart()
    {
        QFETCH(QStringList, modules);
        QFETCH(QString, stored);
        QFETCH(bool, english);
        QFETCH(QString, jezik);
        Fixture fixture({}, stored, true);
        // The two-letter name is looked for only when the three-letter one is missing.
        for (const QString &module : modules)
            QFile::copy(
                ModuleFiles::builtModule(module == QStringLiteral("EN") ? QStringLiteral("ENU") : module),
                fixture.tree.path(QStringLiteral("bin/arkivoda.") + module));
        const QString settingsBefore = fixture.settingsText();
        TGlavni &window = fixture.open();
        QCOMPARE(fixture.autoButton(),
                 english ? QStringLiteral("&Automatic backup") : QStringLiteral("&Automatsko arhiviranje"));
        QCOMPARE(window.windowTitle(), english ? QStringLiteral("Arkivoda - current list: Posao")
                                               : QStringLiteral("Arkivoda - aktualna lista: Posao"));
        QCOMPARE(fixture.text("LBL_Status"),
                 english ? QStringLiteral("waiting...") : QStringLiteral("čekam..."));
        QVERIFY(english ? fixture.englishChecked() : fixture.croatianChecked());
        QCOMPARE(window.settings().GLOBAL_Jezik, jezik);
        QVERIFY(window.autoTimer().isActive());
        QCOMPARE(fixture.settingsText(), settingsBefore);
    }
};

QTEST_MAIN(TestLanguageSwitch)
#include "RequireControl.h"
#include "tst_LanguageSwitch.moc"
