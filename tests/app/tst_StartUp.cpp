#include "app/BackupListGrid.h"
#include "app/TGlavni.h"
#include "app/TOdabirBaze.h"
#include "ui/ApplicationError.h"
#include "ui/MyMessageDialog.h"
#include "ui/OpenFileDialog.h"

#include "FakeDesktop.h"
#include "ModalDriver.h"
#include "PermissionsBindRoot.h"
#include "TempTree.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QTimeEdit>

// The start-up sequence as the program runs it: the main window's creation over a data folder, with
// the settings window first when there is no backup list yet, and the settings window from the menu.
class TestStartUp : public QObject
{
    Q_OBJECT

    struct Fixture
    {
        // newAccount: a home without ~/.config, as useradd -m leaves it, and no XDG_CONFIG_HOME.
        explicit Fixture(bool newAccount = false)
        {
            if (newAccount) {
                configHome = tree.makeDir(QStringLiteral("dom")) + QStringLiteral("/.config");
                qunsetenv("XDG_CONFIG_HOME");
                qputenv("HOME", tree.path(QStringLiteral("dom")).toUtf8());
            } else {
                configHome = tree.makeDir(QStringLiteral("config"));
                qputenv("XDG_CONFIG_HOME", configHome.toUtf8());
            }
            dataFolder = configHome + QStringLiteral("/Arkivoda/");
            archiveFolder = tree.makeDir(QStringLiteral("arhiva")) + QLatin1Char('/');
            source = tree.makeDir(QStringLiteral("izvor"));
            tree.writeFile(QStringLiteral("izvor/a.txt"), "a");
            SetMessageDialogHook([this](const MessageDialogRequest &request) -> std::optional<int> {
                dialogs << request;
                return mrOk;
            });
            OpenFileDialog::setHook([this](const OpenFileRequest &request) -> std::optional<QStringList> {
                if (request.kind == OpenFileRequest::Kind::Folder)
                    return QStringList{archiveFolder.chopped(1)};
                return QStringList{source};
            });
            SetApplicationErrorHook([this](const QString &text) { errors << text; });
        }
        ~Fixture()
        {
            qputenv("HOME", home);
            SetMessageDialogHook({});
            OpenFileDialog::setHook({});
            SetApplicationErrorHook({});
        }

        // Creates the main window; the action runs on the settings window if start-up opens one.
        TGlavni &start(const std::function<void(TOdabirBaze *)> &onSettings = {},
                       const QStringList &arguments = {QStringLiteral("arkivoda")})
        {
            settingsSeen = false;
            const ModalDriver driver(
                [&](QWidget *modal) {
                    settingsSeen = true;
                    mainWindowShownFirst = modal->parentWidget() && modal->parentWidget()->isVisible();
                    auto *settings = qobject_cast<TOdabirBaze *>(modal);
                    QVERIFY(settings);
                    if (onSettings)
                        onSettings(settings);
                    else
                        settings->close();
                },
                QStringLiteral("TOdabirBaze"));
            window = std::make_unique<TGlavni>(arguments, desktop.services());
            return *window;
        }

        // Fills a settings window as a user would: a folder on the list, the archive folder, the
        // prefix, the options and the daily run; then saves.
        void fillAndSave(TOdabirBaze *settings, bool dailyRun) const
        {
            settings->findChild<QAbstractButton *>(QStringLiteral("Button7"))->click();
            settings->findChild<QAbstractButton *>(QStringLiteral("Button3"))->click();
            settings->findChild<QLineEdit *>(QStringLiteral("BckNameLabel"))
                ->setText(QStringLiteral("Posao"));
            settings->findChild<QCheckBox *>(QStringLiteral("CB_CloseToTray"))->setChecked(true);
            settings->findChild<QCheckBox *>(QStringLiteral("CB_Report"))->setChecked(false);
            settings->findChild<QCheckBox *>(QStringLiteral("VrijemeUkljuceno"))->setChecked(dailyRun);
            settings->findChild<QTimeEdit *>(QStringLiteral("Vrijeme"))->setTime(QTime(22, 15, 0));
            settings->findChild<QAbstractButton *>(QStringLiteral("Button1"))->click();
        }

        QLabel *label(const char *name) const { return window->findChild<QLabel *>(QLatin1String(name)); }

        const QByteArray home = qgetenv("HOME");
        TempTree tree;
        QString configHome;
        QString dataFolder;
        QString archiveFolder;
        QString source;
        FakeDesktop desktop;
        std::unique_ptr<TGlavni> window;
        bool settingsSeen = false;
        bool mainWindowShownFirst = false;
        QList<MessageDialogRequest> dialogs;
        QStringList errors;
    };

  private slots:
    void initTestCase() { QCoreApplication::setApplicationName(QStringLiteral("Arkivoda")); }

    void firstStartLeftWithoutAListEndsTheProgram_data()
    {
        QTest::addColumn<QString>("way");
        QTest::newRow("close box") << QStringLiteral("close");
        QTest::newRow("Zatvaranje programa") << QStringLiteral("Button4");
    }

    void firstStartLeftWithoutAListEndsTheProgram()
    {
        QFETCH(QString, way);
        Fixture fixture;
        bool button2Disabled = false;
        QStringList refusals;
        TGlavni &window = fixture.start([&](TOdabirBaze *settings) {
            button2Disabled = !settings->findChild<QWidget *>(QStringLiteral("Button2"))->isEnabled();
            // An empty list cannot be saved.
            settings->findChild<QAbstractButton *>(QStringLiteral("Button1"))->click();
            for (const MessageDialogRequest &request : fixture.dialogs)
                refusals << request.text;
            if (way == QLatin1String("close"))
                settings->close();
            else
                settings->findChild<QAbstractButton *>(QStringLiteral("Button4"))->click();
        });

        QVERIFY(fixture.settingsSeen);
        QVERIFY(!fixture.mainWindowShownFirst);
        QVERIFY(button2Disabled);
        QCOMPARE(refusals,
                 QStringList{QStringLiteral("Lista datoteka i mapa za arhiviranje je prazna!\r\n\r\n"
                                            "Dodajte barem jednu datoteku ili mapu na listu.")});
        QVERIFY(window.Terminated());
        QVERIFY(window.isHidden());
        QVERIFY(!window.autoTimer().isActive());
        // The data folder is made at start-up; nothing is written into it.
        QVERIFY(QFileInfo(fixture.dataFolder).isDir());
        QCOMPARE(QDir(fixture.dataFolder).entryList(QDir::Files), QStringList());
    }

    void firstStartSavedThenRestartRestoresEverything_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("prefix");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("settingsTitle");
        QTest::addColumn<bool>("newAccount");
        QTest::newRow("no argument") << QStringList{QStringLiteral("arkivoda")} << QString()
                                     << QStringLiteral("Arkivoda")
                                     << QStringLiteral("Arkivoda - postavke programa") << false;
        QTest::newRow("Posao") << QStringList{QStringLiteral("arkivoda"), QStringLiteral("Posao"),
                                              QStringLiteral("ignored")}
                               << QStringLiteral("Posao_")
                               << QStringLiteral("Arkivoda - aktualna lista: Posao")
                               << QStringLiteral("Arkivoda - postavke programa - aktualna lista: Posao")
                               << false;
        QTest::newRow("new account without ~/.config")
            << QStringList{QStringLiteral("arkivoda")} << QString() << QStringLiteral("Arkivoda")
            << QStringLiteral("Arkivoda - postavke programa") << true;
    }

    void firstStartSavedThenRestartRestoresEverything()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, prefix);
        QFETCH(QString, title);
        QFETCH(QString, settingsTitle);
        QFETCH(bool, newAccount);
        Fixture fixture(newAccount);
        QString seenTitle;
        TGlavni &first = fixture.start(
            [&](TOdabirBaze *settings) {
                seenTitle = settings->windowTitle();
                fixture.fillAndSave(settings, true);
            },
            arguments);

        QVERIFY(fixture.settingsSeen);
        QCOMPARE(seenTitle, settingsTitle);
        QVERIFY(!first.Terminated());
        QVERIFY(fixture.dialogs.isEmpty());
        QVERIFY(fixture.errors.isEmpty());
        QCOMPARE(
            QDir(fixture.dataFolder).entryList(QDir::Files, QDir::Name),
            (QStringList{prefix + QStringLiteral("Arkivoda.ini"), prefix + QStringLiteral("Arkivoda.lock"),
                         prefix + QStringLiteral("Arkivoda_bcklst.txt")}));
        QCOMPARE(first.windowTitle(), title);
        QCOMPARE(fixture.desktop.tray.toolTip,
                 title + QStringLiteral("\nZadnje uspješno arhiviranje: još nijedno"));
        QCOMPARE(fixture.label("LBL_MapaArhiva")->text(), fixture.archiveFolder);
        QCOMPARE(fixture.label("LBL_Status")->text(), QStringLiteral("čekam..."));
        QVERIFY(first.autoTimer().isActive());
        fixture.window.reset();

        // The second start finds the list: no settings window, every setting as saved.
        TGlavni &second = fixture.start({}, arguments);
        QVERIFY(!fixture.settingsSeen);
        const ProgramSettings &settings = second.settings();
        QCOMPARE(settings.BackupLokacijaAuto, fixture.archiveFolder);
        QCOMPARE(settings.BckName, QStringLiteral("Posao"));
        QVERIFY(!settings.GLOBAL_StartToTray);
        QVERIFY(settings.GLOBAL_CloseToMinimize);
        QVERIFY(!settings.GLOBAL_StartMinimized);
        QVERIFY(!settings.GLOBAL_Report);
        QVERIFY(settings.GLOBAL_TimerEnabled);
        QCOMPARE(qRound(settings.GLOBAL_TimerTime * 86400), 22 * 3600 + 15 * 60);
        QVERIFY(second.autoTimer().isActive());
        QCOMPARE(second.windowTitle(), title);

        // And the settings window opened from the menu shows them again, the list included.
        QStringList rows;
        QString shownPrefix;
        bool closeToTray = false;
        QTime time;
        const ModalDriver driver(
            [&](QWidget *modal) {
                rows = modal->findChild<BackupListGrid *>(QStringLiteral("Grid"))->rows();
                shownPrefix = modal->findChild<QLineEdit *>(QStringLiteral("BckNameLabel"))->text();
                closeToTray = modal->findChild<QCheckBox *>(QStringLiteral("CB_CloseToTray"))->isChecked();
                time = modal->findChild<QTimeEdit *>(QStringLiteral("Vrijeme"))->time();
                modal->findChild<QAbstractButton *>(QStringLiteral("Button2"))->click();
            },
            QStringLiteral("TOdabirBaze"));
        QAction *menuItem = second.findChild<QAction *>(QStringLiteral("MM_Lista"));
        QVERIFY(menuItem->isEnabled());
        menuItem->trigger();
        QVERIFY(driver.acted());
        QCOMPARE(rows, QStringList{fixture.source});
        QCOMPARE(shownPrefix, QStringLiteral("Posao"));
        QVERIFY(closeToTray);
        QCOMPARE(time, QTime(22, 15, 0));
        QVERIFY(!second.Terminated());
    }

    // The daily timer follows what the first-run save chose, whatever the file said before.
    void theDailyTimerIsDecidedLast_data()
    {
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<bool>("dailyRun");
        QTest::newRow("stored on, saved off") << QByteArray("[Timer]\r\nEnabled=1\r\n") << false;
        QTest::newRow("stored off, saved on") << QByteArray("[Timer]\r\nEnabled=0\r\n") << true;
    }

    void theDailyTimerIsDecidedLast()
    {
        QFETCH(QByteArray, stored);
        QFETCH(bool, dailyRun);
        Fixture fixture;
        fixture.tree.writeFile(QStringLiteral("config/Arkivoda/Arkivoda.ini"), stored);
        TGlavni &window =
            fixture.start([&](TOdabirBaze *settings) { fixture.fillAndSave(settings, dailyRun); });
        QCOMPARE(window.autoTimer().isActive(), dailyRun);
        QCOMPARE(window.settings().GLOBAL_TimerEnabled, dailyRun);
    }

    void theMenuAppliesASave()
    {
        Fixture fixture;
        fixture.tree.writeFile(QStringLiteral("config/Arkivoda/Arkivoda.ini"), "[Timer]\r\nEnabled=1\r\n");
        fixture.tree.writeFile(QStringLiteral("config/Arkivoda/Arkivoda_bcklst.txt"),
                               (fixture.source + QStringLiteral("\r\n")).toUtf8());
        TGlavni &window = fixture.start();
        window.show();
        QVERIFY(window.autoTimer().isActive());
        fixture.label("LBL_Status")->setText(QStringLiteral("preostalo vrijeme ..."));
        const ModalDriver driver(
            [&](QWidget *modal) { fixture.fillAndSave(qobject_cast<TOdabirBaze *>(modal), false); },
            QStringLiteral("TOdabirBaze"));
        window.MM_ListaClick();

        QVERIFY(driver.acted());
        QVERIFY(!window.autoTimer().isActive());
        QCOMPARE(fixture.label("LBL_Status")->text(), QStringLiteral("čekam..."));
        QCOMPARE(fixture.label("LBL_MapaArhiva")->text(), fixture.archiveFolder);
        QVERIFY(window.settings().GLOBAL_CloseToMinimize);
        QVERIFY(!window.Terminated());
    }

    // Without the data folder nothing could be saved: said before the settings window asks for settings.
    void aDataFolderThatCannotBeMadeIsReported()
    {
        Fixture fixture(true);
        fixture.tree.writeFile(QStringLiteral("dom/.config"), "x");
        QStringList errorsBeforeSettings;
        TGlavni &window = fixture.start([&](TOdabirBaze *settings) {
            errorsBeforeSettings = fixture.errors;
            settings->close();
        });

        QVERIFY(fixture.settingsSeen);
        QCOMPARE(errorsBeforeSettings.size(), 1);
        QVERIFY2(errorsBeforeSettings.first().startsWith(QStringLiteral("Ne mogu napraviti mapu postavki ") +
                                                         fixture.dataFolder),
                 qPrintable(errorsBeforeSettings.first()));
        QVERIFY(window.Terminated());
    }

    // A list that exists but cannot be read is reported and the settings window does not open: opened
    // with an empty list, a save would replace the user's list with nothing.
    void anUnreadableListIsReportedAndKeptWhole()
    {
        Fixture fixture;
        const QByteArray contents = (fixture.source + QStringLiteral("\r\n")).toUtf8();
        const QString list =
            fixture.tree.writeFile(QStringLiteral("config/Arkivoda/Arkivoda_bcklst.txt"), contents);
        TGlavni &window = fixture.start();
        window.show();
        QVERIFY(QFile::setPermissions(list, QFileDevice::Permissions()));
        const PermissionsBindRoot bound;
        if (!bound.active())
            QSKIP("permissions cannot be made to bind here");
        const ModalDriver driver(
            [&](QWidget *modal) { fixture.fillAndSave(qobject_cast<TOdabirBaze *>(modal), false); },
            QStringLiteral("TOdabirBaze"));
        window.MM_ListaClick();

        QVERIFY(!driver.acted());
        QCOMPARE(fixture.errors.size(), 1);
        QVERIFY2(fixture.errors.first().contains(list), qPrintable(fixture.errors.first()));
        QVERIFY(!window.Terminated());
        QVERIFY(QFile::setPermissions(list, QFileDevice::ReadOwner | QFileDevice::WriteOwner));
        QFile file(list);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), contents);
    }

    void leavingTheMenuWindowWithoutAListFileEndsTheProgram()
    {
        Fixture fixture;
        const QString list =
            fixture.tree.writeFile(QStringLiteral("config/Arkivoda/Arkivoda_bcklst.txt"), "/a\r\n");
        TGlavni &window = fixture.start();
        window.show();
        QSignalSpy closed(&window, &TGlavni::closed);
        const ModalDriver driver(
            [&](QWidget *modal) {
                QFile::remove(list);
                modal->close();
            },
            QStringLiteral("TOdabirBaze"));
        window.MM_ListaClick();
        QVERIFY(driver.acted());
        QVERIFY(window.Terminated());
        QCOMPARE(closed.count(), 1);
        QVERIFY(window.isHidden());
    }
};

QTEST_MAIN(TestStartUp)
#include "tst_StartUp.moc"
