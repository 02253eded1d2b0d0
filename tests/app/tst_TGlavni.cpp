#include "app/TForm_FilesMissing.h"
#include "app/TGlavni.h"
#include "config/MessageTable.h"
#include "ui/ApplicationError.h"
#include "ui/MyMessageDialog.h"
#include "ui/SaveFileDialog.h"
#include "ui/WindowHelpers.h"

#include "FakeDesktop.h"
#include "ModalDriver.h"
#include "PermissionsBindRoot.h"
#include "TempTree.h"
#include "ZipCheck.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QRandomGenerator>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTest>
#include <QTreeWidget>

#include <sys/stat.h>

using HandOver = RunController::HandOver;

namespace {

QByteArray randomBytes(qsizetype size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    QRandomGenerator generator(77);
    generator.fillRange(reinterpret_cast<quint32 *>(bytes.data()), size / 4);
    return bytes;
}

// Calls back when the watched widget is shown.
class ShowWatch : public QObject
{
  public:
    explicit ShowWatch(std::function<void()> shown) : m_shown(std::move(shown)) {}

  protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Show)
            m_shown();
        return QObject::eventFilter(watched, event);
    }

  private:
    std::function<void()> m_shown;
};

// Records each text a label shows, as it is painted.
class PaintedTexts : public QObject
{
  public:
    QStringList texts;

  protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            if (const auto *label = qobject_cast<QLabel *>(watched))
                texts << label->text();
        return QObject::eventFilter(watched, event);
    }
};

} // namespace

class TestTGlavni : public QObject
{
    Q_OBJECT

    // A data folder with a backup list and settings, an archive folder, sources, and the main window
    // over fake desktop services; every dialog is recorded and answered.
    struct Fixture
    {
        explicit Fixture(const QString &extraSettings = QString())
        {
            qputenv("XDG_CONFIG_HOME", tree.path(QStringLiteral("config")).toUtf8());
            dataFolder = tree.makeDir(QStringLiteral("config/Arkivoda")) + QLatin1Char('/');
            archiveFolder = tree.makeDir(QStringLiteral("arhiva")) + QLatin1Char('/');
            a = tree.writeFile(QStringLiteral("izvor/a.txt"), "prva datoteka");
            b = tree.writeFile(QStringLiteral("izvor/mapa/b.txt"), QByteArray(5000, 'b'));
            missing = tree.path(QStringLiteral("nema/ove.txt"));
            writeList({tree.path(QStringLiteral("izvor"))});
            tree.writeFile(QStringLiteral("config/Arkivoda/Arkivoda.ini"),
                           (QStringLiteral("[LokacijaAuto]\r\nPutanja=") + archiveFolder +
                            QStringLiteral("\r\n") + extraSettings)
                               .toUtf8());
            SetMessageDialogHook([this](const MessageDialogRequest &request) -> std::optional<int> {
                dialogs << request;
                if (answer)
                    return answer(request);
                return request.buttons.testFlag(mbYes) ? mrYes : mrOk;
            });
            SaveFileDialog::setHook([this](const SaveFileRequest &request) {
                saveRequests << request;
                return saveAnswer;
            });
            SetApplicationErrorHook([this](const QString &text) { errors << text; });
        }

        ~Fixture()
        {
            SetMessageDialogHook({});
            SaveFileDialog::setHook({});
            SetApplicationErrorHook({});
        }

        void writeList(const QStringList &entries) const
        {
            tree.writeFile(QStringLiteral("config/Arkivoda/Arkivoda_bcklst.txt"),
                           (entries.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")).toUtf8());
        }

        TGlavni &open(const QStringList &arguments = {QStringLiteral("arkivoda")})
        {
            window = std::make_unique<TGlavni>(arguments, desktop.services());
            window->show();
            return *window;
        }

        template <typename T = QWidget> T *control(const char *name) const
        {
            return requireControl<T>(*window, name);
        }

        QStringList archives() const { return QDir(archiveFolder).entryList(QDir::Files); }
        QString settingsText() const
        {
            QFile file(dataFolder + QStringLiteral("Arkivoda.ini"));
            return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
        }
        QList<MessageDialogRequest> dialogsCaptioned(const QString &caption) const
        {
            QList<MessageDialogRequest> found;
            for (const MessageDialogRequest &request : dialogs)
                if (request.caption == caption)
                    found << request;
            return found;
        }
        // Whether the run controls are up as a run shows them, or down as the idle window has them.
        bool inRunLayout() const
        {
            return !control<QAbstractButton>("AutoZ")->isEnabled() &&
                   !control<QAbstractButton>("RucnaZ")->isEnabled() &&
                   !control<QAbstractButton>("Kraj")->isEnabled() &&
                   !control<QMenu>("MM_Program")->menuAction()->isEnabled() &&
                   !control<QMenu>("MM_Jezik")->menuAction()->isEnabled() &&
                   !window->trayPopup().actions().last()->isEnabled() && !CloseButtonEnabled(window.get()) &&
                   control<QAbstractButton>("BTN_Pause")->isEnabled() && !control("BTN_Pause")->isHidden() &&
                   control<QAbstractButton>("BTN_Cancel")->isEnabled() &&
                   !control("BTN_Cancel")->isHidden() && !control("PB")->isHidden() &&
                   !control("PBU")->isHidden() && !control("LB_D")->isHidden() &&
                   !control("LB_U")->isHidden() && !control("CB_Close")->isHidden() &&
                   !control("CB_Shutdown")->isHidden() && !control("CB_Logoff")->isHidden();
        }
        bool inIdleLayout() const
        {
            bool idle = control<QAbstractButton>("AutoZ")->isEnabled() &&
                        control<QAbstractButton>("RucnaZ")->isEnabled() &&
                        control<QAbstractButton>("Kraj")->isEnabled() &&
                        control<QMenu>("MM_Program")->menuAction()->isEnabled() &&
                        control<QMenu>("MM_Jezik")->menuAction()->isEnabled() &&
                        window->trayPopup().actions().last()->isEnabled() &&
                        CloseButtonEnabled(window.get()) && !window->runState().GLOBAL_ArhiviranjeUTijeku;
            for (const char *name : {"BTN_Pause", "BTN_Cancel", "BTN_Kill"})
                idle = idle && control(name)->isHidden() && !control(name)->isEnabled();
            for (const char *name : {"PB", "PBU", "LB_D", "LB_U", "CB_Close", "CB_Shutdown", "CB_Logoff"})
                idle = idle && control(name)->isHidden();
            return idle;
        }

        TempTree tree;
        QString dataFolder;
        QString archiveFolder;
        QString a;
        QString b;
        QString missing;
        FakeDesktop desktop;
        std::unique_ptr<TGlavni> window;
        QList<MessageDialogRequest> dialogs;
        std::function<std::optional<int>(const MessageDialogRequest &)> answer;
        QList<SaveFileRequest> saveRequests;
        std::optional<QString> saveAnswer;
        QStringList errors;
    };

    static QString text(quint16 number) { return MessageTable::text(number); }

  private slots:
    void initTestCase()
    {
        QCoreApplication::setApplicationName(QStringLiteral("Arkivoda"));
        qputenv("ARKIVODA_START_DELAY_MS", "0");
    }

    void startUpSetsTitleLabelsAndTimer()
    {
        Fixture fixture(QStringLiteral("[Timer]\r\nEnabled=1\r\n"));
        // A named configuration reads its own files.
        QFile::copy(fixture.dataFolder + QStringLiteral("Arkivoda.ini"),
                    fixture.dataFolder + QStringLiteral("Posao_Arkivoda.ini"));
        QFile::copy(fixture.dataFolder + QStringLiteral("Arkivoda_bcklst.txt"),
                    fixture.dataFolder + QStringLiteral("Posao_Arkivoda_bcklst.txt"));
        TGlavni &window = fixture.open({QStringLiteral("arkivoda"), QStringLiteral("Posao")});

        QCOMPARE(window.windowTitle(), QStringLiteral("Arkivoda - aktualna lista: Posao"));
        // Nothing good on record yet.
        const QString age = QStringLiteral("Zadnje uspješno arhiviranje: još nijedno");
        QCOMPARE(fixture.desktop.tray.toolTip, window.windowTitle() + QLatin1Char('\n') + age);
        QCOMPARE(fixture.control<QLabel>("LBL_Zadnje")->text(), age);
        QVERIFY(fixture.desktop.tray.shown);
        QVERIFY(fixture.desktop.tray.hasIcon);
        QCOMPARE(fixture.control<QLabel>("LBL_Status")->text(), QStringLiteral("čekam..."));
        QCOMPARE(fixture.control<QLabel>("LBL_MapaArhiva")->text(), fixture.archiveFolder);
        QCOMPARE(fixture.control<QLabel>("LokacijaA")->text(), QStringLiteral("-"));
        QCOMPARE(fixture.control<QLabel>("LokacijaR")->text(), QStringLiteral("-"));
        QVERIFY(window.autoTimer().isActive());
        QVERIFY(fixture.inIdleLayout());
        QCOMPARE(window.balloon().title, QStringLiteral("Arkivoda"));
        QCOMPARE(window.balloon().text, QStringLiteral("Arkivoda"));
        QCOMPARE(window.balloon().timeoutMs, 3000);
        QCOMPARE(window.centralWidget()->size(), QSize(736, 492));
        const QList<QAction *> tray = window.trayPopup().actions();
        QCOMPARE(tray.size(), 4);
        const QStringList trayItems = {tray.at(0)->text(), tray.at(1)->text(), tray.at(3)->text()};
        QCOMPARE(trayItems, (QStringList{QStringLiteral("Otvori &program"),
                                         QStringLiteral("&Vraćanje datoteka…"), QStringLiteral("I&zlaz")}));
        QVERIFY(tray.at(2)->isSeparator());
    }

    void startState_data()
    {
        QTest::addColumn<QString>("settings");
        QTest::addColumn<bool>("trayAvailable");
        QTest::addColumn<QString>("outcome");
        QTest::newRow("normal") << QString() << true << QStringLiteral("normal");
        QTest::newRow("minimised to the taskbar")
            << QStringLiteral("StartMinimized=1\r\n") << true << QStringLiteral("minimised");
        QTest::newRow("minimised to the tray")
            << QStringLiteral("StartMinimized=1\r\nStartToTray=1\r\n") << true << QStringLiteral("hidden");
        QTest::newRow("tray wanted but absent") << QStringLiteral("StartMinimized=1\r\nStartToTray=1\r\n")
                                                << false << QStringLiteral("minimised");
    }

    void startState()
    {
        QFETCH(QString, settings);
        QFETCH(bool, trayAvailable);
        Fixture fixture(QStringLiteral("[Program]\r\n") + settings);
        fixture.desktop.tray.available = trayAvailable;
        fixture.window =
            std::make_unique<TGlavni>(QStringList{QStringLiteral("arkivoda")}, fixture.desktop.services());
        fixture.window->showAtStart();
        QCoreApplication::processEvents();

        const TGlavni &window = *fixture.window;
        const QString seen = window.isHidden()      ? QStringLiteral("hidden")
                             : window.isMinimized() ? QStringLiteral("minimised")
                                                    : QStringLiteral("normal");
        QTEST(seen, "outcome");
        QVERIFY(fixture.desktop.tray.shown);
    }

    // An automatic run from the button to the summary and the missing-files report.
    void automaticRunFromStartToSummary()
    {
        Fixture fixture;
        fixture.writeList({fixture.tree.path(QStringLiteral("izvor")), fixture.missing});
        TGlavni &window = fixture.open();
        bool runLayoutSeen = false;
        bool heldDuringRun = false;
        bool heldAtADialog = false;
        // Sleep and shutdown are held off while the archive is written, not while a summary waits.
        fixture.answer = [&](const MessageDialogRequest &) {
            heldAtADialog = heldAtADialog || fixture.desktop.inhibitor.held;
            return mrOk;
        };
        bool secondAttemptIgnored = false;
        window.runController().setHandOverObserver([&](HandOver which) {
            if (which != HandOver::FileCount)
                return;
            runLayoutSeen = fixture.inRunLayout();
            heldDuringRun = fixture.desktop.inhibitor.held;
            // A second click while the run goes on does nothing at all.
            const qsizetype dialogsBefore = fixture.dialogs.size();
            window.AutoZClick();
            window.RucnaZClick();
            secondAttemptIgnored = fixture.dialogs.size() == dialogsBefore &&
                                   fixture.saveRequests.isEmpty() &&
                                   window.runState().GLOBAL_ArhiviranjeUTijeku;
        });
        QStringList reportLines;
        QString reportTitle;
        const ModalDriver driver(
            [&](QWidget *modal) {
                auto *report = qobject_cast<TForm_FilesMissing *>(modal);
                QVERIFY(report);
                reportLines = report->lines();
                reportTitle = report->windowTitle();
                QCOMPARE(report->size(), QSize(705, 544));
                QVERIFY(report->findChild<QPlainTextEdit *>(QStringLiteral("Lista"))->isReadOnly());
                report->findChild<QAbstractButton *>(QStringLiteral("OKButton"))->click();
            },
            QStringLiteral("Form_FilesMissing"));
        window.AutoZClick();

        QVERIFY(runLayoutSeen);
        QVERIFY(heldDuringRun);
        QVERIFY(!heldAtADialog);
        QCOMPARE(fixture.desktop.inhibitor.calls,
                 (QStringList{QStringLiteral("hold: Arhiviranje u tijeku"), QStringLiteral("release")}));
        QVERIFY(secondAttemptIgnored);
        QVERIFY(fixture.inIdleLayout());
        const QStringList archives = fixture.archives();
        QCOMPARE(archives.size(), 1);
        const QString archive = fixture.archiveFolder + archives.first();
        QVERIFY(QRegularExpression(
                    QStringLiteral("^Arhiva_\\d{4}\\.\\d\\d\\.\\d\\d__\\d\\d\\.\\d\\d\\.\\d\\d\\.zip$"))
                    .match(archives.first())
                    .hasMatch());
        QCOMPARE(ZipCheck::readerProblems(archive), QStringList());
        QCOMPARE(ZipCheck::entryNames(archive).size(), 3);

        QCOMPARE(fixture.control<QLabel>("LBL_Status")->text(), QStringLiteral("arhiviranje je završeno"));
        // The tray's hint showed the run's progress, and is the program's title and the backup's age
        // again after it: a run that could not read a source is no good backup.
        QVERIFY2(fixture.desktop.tray.toolTips.contains(QStringLiteral("Arkivoda – 100%")),
                 qPrintable(fixture.desktop.tray.toolTips.join(u'|')));
        QCOMPARE(fixture.desktop.tray.toolTip,
                 QStringLiteral("Arkivoda\nZadnje uspješno arhiviranje: još nijedno"));
        QCOMPARE(fixture.control<QLabel>("LokacijaA")->text(), archive);
        QVERIFY(fixture.settingsText().contains(QStringLiteral("FileA=") + archive));
        QCOMPARE(window.windowTitle(), QStringLiteral("Arkivoda"));
        QCOMPARE(fixture.desktop.tray.messages.size(), 1);
        QCOMPARE(fixture.desktop.tray.messages.first().title, QStringLiteral("Arkivoda "));
        QCOMPARE(fixture.desktop.tray.messages.first().text,
                 QStringLiteral("Arhiviranje je završeno bez 1 nedostupne datoteke ili mape u arhivu \r\n") +
                     archive + QStringLiteral("\r\nArhiva je provjerena: ispravna"));
        QCOMPARE(fixture.desktop.tray.messages.first().icon, TrayIcon::BalloonIcon::Warning);
        QCOMPARE(fixture.desktop.tray.messages.first().timeoutMs, 5000);
        QCOMPARE(fixture.desktop.launcher.states.first(), LauncherProgress::State::Normal);
        QCOMPARE(fixture.desktop.launcher.states.last(), LauncherProgress::State::NoProgress);
        QCOMPARE(fixture.desktop.launcher.values.last(), (QPair<qint64, qint64>(100, 100)));
        QVERIFY(fixture.desktop.alert.flashes >= 1);

        const QList<MessageDialogRequest> summaries = fixture.dialogsCaptioned(QStringLiteral("Info"));
        QCOMPARE(summaries.size(), 1);
        QCOMPARE(summaries.first().type, TMsgDlgType::mtInformation);
        QCOMPARE(summaries.first().captions, QStringList{QStringLiteral("U redu")});
        const QStringList summary = summaries.first().text.split(QStringLiteral("\r\n"));
        QCOMPARE(
            summary.mid(0, 8),
            (QStringList{QStringLiteral("Nepotpuno arhiviranje (1 datoteka ili mapa nije bila dostupna) je "
                                        "izvršeno na mapi"),
                         QString(), fixture.archiveFolder, QString(), QStringLiteral("u datoteku"), QString(),
                         archives.first(), QString()}));
        QCOMPARE(summary.at(8), QStringLiteral("Broj arhiviranih datoteka: 2"));
        QVERIFY(summary.at(12).startsWith(QStringLiteral("Trajanje arhiviranja: 00:00:0")));
        QVERIFY(summary.contains(QStringLiteral("Arhiva je provjerena: ispravna")));
        QVERIFY(summaries.first().text.endsWith(QStringLiteral("\r\n")));
        const QList<MessageDialogRequest> warnings = fixture.dialogsCaptioned(QStringLiteral("Upozorenje"));
        QCOMPARE(warnings.size(), 1);
        QCOMPARE(warnings.first().text,
                 QStringLiteral(
                     "Tijekom arhiviranja 1 datoteka ili mapa je\r\nbila nedostupna iz nekog razloga!"));
        QCOMPARE(reportTitle,
                 QStringLiteral("Arkivoda - lista datoteka i mapa koje nisu nađene ili nisu bile "
                                "dostupne tijekom arhiviranja"));
        QCOMPARE(reportLines,
                 (QStringList{QString(), QStringLiteral("Arhiva: ") + archive, QString(), fixture.missing}));
        QVERIFY(!window.missingFilesWindow());
    }

    // Where the desktop's notifications take actions, the end of a run is a notification that offers
    // to open the archive's folder instead of the tray's balloon.
    void aFinishedRunOffersToOpenItsFolder()
    {
        Fixture fixture(QStringLiteral("[Program]\r\nReport=0\r\n"));
        fixture.desktop.notifications.available = true;
        TGlavni &window = fixture.open();
        window.AutoZClick();

        QCOMPARE(fixture.archives().size(), 1);
        const QString archive = fixture.archiveFolder + fixture.archives().first();
        QCOMPARE(fixture.desktop.notifications.shown.size(), 1);
        const Notifications::Notification &shown = fixture.desktop.notifications.shown.first();
        QVERIFY(shown.text.contains(archive));
        QCOMPARE(shown.actions.size(), 2);
        QCOMPARE(shown.actions.last().label, QStringLiteral("Otvori mapu"));
        QCOMPARE(fixture.desktop.tray.messages.size(), 0);
        QVERIFY(fixture.desktop.files.shown.isEmpty());

        emit fixture.desktop.notifications.actionInvoked(shown.actions.last().key);
        QCOMPARE(fixture.desktop.files.shown, QStringList{archive});
    }

    void aManualRunsReportHasNoArchiveLine()
    {
        Fixture fixture;
        fixture.writeList({fixture.tree.path(QStringLiteral("izvor")), fixture.missing});
        TGlavni &window = fixture.open();
        const QString archive = fixture.tree.path(QStringLiteral("ručna.zip"));
        fixture.saveAnswer = archive;
        QStringList reportLines;
        const ModalDriver driver(
            [&](QWidget *modal) {
                reportLines = qobject_cast<TForm_FilesMissing *>(modal)->lines();
                modal->close();
            },
            QStringLiteral("Form_FilesMissing"));
        window.RucnaZClick();

        QCOMPARE(reportLines, QStringList{fixture.missing});
        QCOMPARE(fixture.desktop.inhibitor.calls,
                 (QStringList{QStringLiteral("hold: Arhiviranje u tijeku"), QStringLiteral("release")}));
        QCOMPARE(ZipCheck::readerProblems(archive), QStringList());
        QCOMPARE(fixture.control<QLabel>("LokacijaR")->text(), archive);
        QCOMPARE(fixture.control<QLabel>("LokacijaA")->text(), QStringLiteral("-"));
        QVERIFY(fixture.settingsText().contains(QStringLiteral("FileR=") + archive));
        QCOMPARE(fixture.saveRequests.size(), 1);
        const SaveFileRequest &request = fixture.saveRequests.first();
        QCOMPARE(request.title, QStringLiteral("Navedite naziv arhivske datoteke..."));
        QCOMPARE(request.filter, QStringLiteral("ZIP arhiva (*.zip)"));
        QCOMPARE(request.defaultSuffix, QStringLiteral("zip"));
        QVERIFY(QRegularExpression(
                    QStringLiteral("^Arhiva_\\d{4}\\.\\d\\d\\.\\d\\d__\\d\\d\\.\\d\\d\\.\\d\\d\\.zip$"))
                    .match(request.fileName)
                    .hasMatch());
    }

    // A restore window left open lists the archive a run made: here a manual one outside the archive
    // folder, which only the end of the run can tell it about.
    void anOpenRestoreWindowListsTheNewArchive()
    {
        Fixture fixture(QStringLiteral("[Program]\r\nReport=0\r\n"));
        TGlavni &window = fixture.open();
        window.MM_VracanjeClick();
        auto *archives = window.restoreWindow()->findChild<QTreeWidget *>(QStringLiteral("LV_Arhive"));
        QVERIFY(archives);
        QCOMPARE(archives->topLevelItemCount(), 0);
        const QString archive = fixture.tree.path(QStringLiteral("ručna.zip"));
        fixture.saveAnswer = archive;
        window.RucnaZClick();

        QCOMPARE(archives->topLevelItemCount(), 1);
        QCOMPARE(archives->topLevelItem(0)->data(0, Qt::UserRole).toString(), archive);
    }

    void reportsOffShowNeitherSummaryNorReport()
    {
        Fixture fixture(QStringLiteral("[Program]\r\nReport=0\r\n"));
        fixture.writeList({fixture.tree.path(QStringLiteral("izvor")), fixture.missing});
        TGlavni &window = fixture.open();
        window.AutoZClick();

        QCOMPARE(fixture.dialogs.size(), 0);
        QCOMPARE(fixture.archives().size(), 1);
        QCOMPARE(fixture.desktop.tray.messages.size(), 1);
        QCOMPARE(fixture.desktop.alert.flashes, 0);
        QVERIFY(fixture.inIdleLayout());
    }

    void aTickedEndOfRunBoxSkipsTheSummary()
    {
        Fixture fixture;
        fixture.writeList({fixture.tree.path(QStringLiteral("izvor")), fixture.missing});
        TGlavni &window = fixture.open();
        window.runController().setHandOverObserver([&](HandOver which) {
            if (which == HandOver::FileCount)
                fixture.control<QCheckBox>("CB_Shutdown")->setChecked(true);
        });
        // The countdown before the shutdown is cancelled.
        ModalDriver cancel(
            [](QWidget *box) { box->findChild<QAbstractButton *>(QStringLiteral("BTN_Cancel"))->click(); },
            QStringLiteral("GasenjeBox"));
        window.AutoZClick();

        QVERIFY(cancel.acted());
        QVERIFY(fixture.desktop.session.calls.isEmpty());
        QCOMPARE(fixture.dialogs.size(), 0);
        QCOMPARE(fixture.desktop.tray.messages.size(), 1);
        QVERIFY(fixture.control<QCheckBox>("CB_Shutdown")->isChecked());
        QVERIFY(fixture.control("CB_Shutdown")->isHidden());
    }

    // A copy to the remote target that fails turns the run's summary into a warning, in its title as in
    // its icon; the archive itself stays as it is.
    void aFailedCopyMakesTheSummaryAWarning()
    {
        Fixture fixture;
        const QString notAFolder = fixture.tree.writeFile(QStringLiteral("datoteka"), "nije mapa");
        fixture.tree.writeFile(QStringLiteral("config/Arkivoda/Arkivoda.ini"),
                               (QStringLiteral("[LokacijaAuto]\r\nPutanja=") + fixture.archiveFolder +
                                QStringLiteral("\r\n[Udaljeno]\r\nCilj=") + notAFolder +
                                QStringLiteral("/kopije\r\n"))
                                   .toUtf8());
        TGlavni &window = fixture.open();
        window.AutoZClick();

        QCOMPARE(fixture.archives().size(), 1);
        QCOMPARE(fixture.dialogs.size(), 1);
        const MessageDialogRequest &summary = fixture.dialogs.first();
        QVERIFY2(summary.text.contains(QStringLiteral("Kopija nije poslana")), qPrintable(summary.text));
        QCOMPARE(summary.type, TMsgDlgType::mtWarning);
        QCOMPARE(summary.caption, QStringLiteral("Upozorenje"));
    }

    // Each refusal and each outcome, through the window and through arkivoda-cli on the same
    // configuration: both refuse or fail with the same text, and only a run that left a valid archive
    // records it as the last one.
    void bothFrontEndsDecideAlike_data()
    {
        QTest::addColumn<QString>("setup");
        QTest::addColumn<bool>("automatic");
        QTest::addColumn<bool>("archiveLeft");
        QTest::newRow("list missing") << QStringLiteral("list missing") << true << false;
        QTest::newRow("list unreadable") << QStringLiteral("list is a folder") << true << false;
        QTest::newRow("list unreadable, manual") << QStringLiteral("list is a folder") << false << false;
        QTest::newRow("archive folder missing") << QStringLiteral("no archive folder") << true << false;
        QTest::newRow("target is a folder") << QStringLiteral("target is a folder") << false << false;
        QTest::newRow("archive not created")
            << QStringLiteral("target in a missing folder") << false << false;
        QTest::newRow("part name taken") << QStringLiteral("part name taken") << false << false;
        QTest::newRow("complete, automatic") << QString() << true << true;
        QTest::newRow("complete, manual") << QString() << false << true;
    }

    void bothFrontEndsDecideAlike()
    {
        QFETCH(QString, setup);
        QFETCH(bool, automatic);
        QFETCH(bool, archiveLeft);
        Fixture fixture;
        TGlavni &window = fixture.open({QStringLiteral("arkivoda")});
        const QString list = fixture.dataFolder + QStringLiteral("Arkivoda_bcklst.txt");
        QString target = fixture.tree.path(QStringLiteral("r.zip"));
        if (setup == QStringLiteral("list missing")) {
            QFile::remove(list);
        } else if (setup == QStringLiteral("list is a folder")) {
            QFile::remove(list);
            QDir().mkpath(list);
        } else if (setup == QStringLiteral("no archive folder")) {
            QDir(fixture.archiveFolder).removeRecursively();
        } else if (setup == QStringLiteral("target is a folder")) {
            target = fixture.tree.makeDir(QStringLiteral("mapa.zip"));
        } else if (setup == QStringLiteral("target in a missing folder")) {
            target = fixture.tree.path(QStringLiteral("nema/mape/r.zip"));
        } else if (setup == QStringLiteral("part name taken")) {
            fixture.tree.writeFile(QStringLiteral("r.zip.part"), "ranije");
        }
        fixture.saveAnswer = target;

        // An archive that cannot be written is reported by the window's archive error box, titled and
        // marked as an error.
        QString archiveErrorText;
        QString archiveErrorTitle;
        QMessageBox::Icon archiveErrorIcon = QMessageBox::NoIcon;
        const ModalDriver closeArchiveError(
            [&](QWidget *box) {
                // The box's headline is general; the archive and the cause stand below it.
                archiveErrorText = static_cast<QMessageBox *>(box)->informativeText();
                archiveErrorTitle = box->windowTitle();
                archiveErrorIcon = static_cast<QMessageBox *>(box)->icon();
                box->close();
            },
            QStringLiteral("ArchiveErrorBox"));
        automatic ? window.AutoZClick() : window.RucnaZClick();
        window.runController().waitForWorker();
        QList<MessageDialogRequest> windowErrors = fixture.dialogsCaptioned(QStringLiteral("Greška"));
        if (!archiveErrorText.isEmpty()) {
            QCOMPARE(archiveErrorTitle, QStringLiteral("Greška"));
            QCOMPARE(archiveErrorIcon, QMessageBox::Critical);
            QCOMPARE(windowErrors.size(), 0);
            windowErrors << MessageDialogRequest{};
            windowErrors.first().text = archiveErrorText;
        }
        const QString windowSettings = fixture.settingsText();
        const QStringList windowArchives = fixture.archives();
        QDir(fixture.archiveFolder).removeRecursively();
        if (setup != QStringLiteral("no archive folder"))
            QDir().mkpath(fixture.archiveFolder);
        QFile::remove(target);

        QProcess cli;
        cli.setProgram(qEnvironmentVariable("ARKIVODA_BINARY_DIR") + QStringLiteral("/bin/arkivoda-cli"));
        if (!automatic)
            cli.setArguments({QStringLiteral("--manual"), target, QStringLiteral("--overwrite")});
        cli.start();
        QVERIFY(cli.waitForFinished(60000));
        const QString cliOutput =
            QString::fromLocal8Bit(cli.readAllStandardError() + cli.readAllStandardOutput());
        const QString cliSettings = fixture.settingsText();

        const QString record = automatic ? QStringLiteral("FileA=") : QStringLiteral("FileR=");
        // A good backup is on record with its time; an automatic run that began, with its start.
        const QString good = QStringLiteral("Uspjesno=");
        QCOMPARE(windowSettings.contains(good), archiveLeft);
        QCOMPARE(cliSettings.contains(good), archiveLeft);
        QCOMPARE(windowSettings.contains(QStringLiteral("Zadnje=")), automatic && archiveLeft);
        if (archiveLeft) {
            QCOMPARE(windowErrors.size(), 0);
            QCOMPARE(cli.exitCode(), 0);
            QVERIFY(windowSettings.contains(record));
            QVERIFY(automatic ? windowArchives.size() == 1 : QFileInfo::exists(target));
            QVERIFY(cliSettings.contains(record));
            return;
        }
        QCOMPARE(windowErrors.size(), 1);
        // Both say the same: the window in its box, the command line in its failure (the archive error
        // box's archive and cause, each).
        const QString text = windowErrors.first().text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        for (const QString &said : archiveErrorText.isEmpty() ? QStringList{text} : text.split(u'\n'))
            QVERIFY2(cliOutput.contains(said),
                     qPrintable(QStringLiteral("window: %1\ncommand line: %2").arg(text, cliOutput)));
        QCOMPARE(cli.exitCode(), 2);
        QVERIFY(!windowSettings.contains(record));
        QVERIFY(!cliSettings.contains(record));
        QCOMPARE(windowArchives, QStringList());
        QVERIFY(!QFileInfo(target).isFile());
        QVERIFY(fixture.inIdleLayout());
    }

    void refusedAttempts_data()
    {
        QTest::addColumn<bool>("automatic");
        QTest::addColumn<bool>("listMissing");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<QString>("balloon");
        QTest::addColumn<int>("flashes");
        const QString listError = QStringLiteral("Ne nalazim listu datoteka za arhiviranje!");
        const QString listBalloon = QStringLiteral("Ne nalazim listu datoteka za arhiviranje");
        QTest::newRow("automatic, list missing") << true << true << listError << listBalloon << 1;
        QTest::newRow("manual, list missing") << false << true << listError << listBalloon << 0;
        QTest::newRow("automatic, archive folder missing")
            << true << false
            << QStringLiteral(
                   "Definirana arhivska mapa %s ne postoji ili je trenutno nedostupna! \r\nProvjerite "
                   "da li je dostupan uređaj na kojem se definirana mapa nalazi.")
            << QString() << 1;
    }

    void refusedAttempts()
    {
        QFETCH(bool, automatic);
        QFETCH(bool, listMissing);
        QFETCH(QString, expected);
        QFETCH(QString, balloon);
        Fixture fixture(QStringLiteral("[Timer]\r\nEnabled=1\r\n"));
        // Removed after start-up, which would open the settings window for a missing list.
        TGlavni &window = fixture.open({QStringLiteral("arkivoda")});
        if (listMissing)
            QFile::remove(fixture.dataFolder + QStringLiteral("Arkivoda_bcklst.txt"));
        else
            QDir(fixture.archiveFolder).removeRecursively();
        expected.replace(QStringLiteral("%s"), fixture.archiveFolder);
        if (balloon.isEmpty())
            balloon = expected;
        const QString before = fixture.settingsText();
        fixture.saveAnswer = fixture.tree.path(QStringLiteral("r.zip"));
        automatic ? window.AutoZClick() : window.RucnaZClick();

        QCOMPARE(fixture.dialogs.size(), 1);
        QCOMPARE(fixture.dialogs.first().caption, QStringLiteral("Greška"));
        QCOMPARE(fixture.dialogs.first().type, TMsgDlgType::mtError);
        QCOMPARE(fixture.dialogs.first().text, expected);
        QCOMPARE(fixture.desktop.tray.messages.size(), 1);
        QCOMPARE(fixture.desktop.tray.messages.first().title, QStringLiteral("Arkivoda "));
        QCOMPARE(fixture.desktop.tray.messages.first().text, balloon);
        QCOMPARE(fixture.desktop.tray.messages.first().icon, TrayIcon::BalloonIcon::Error);
        QCOMPARE(fixture.desktop.tray.messages.first().timeoutMs, 5000);
        QTEST(fixture.desktop.alert.flashes, "flashes");
        QVERIFY(fixture.saveRequests.isEmpty());
        // No run, so nothing held sleep or shutdown off.
        QVERIFY(fixture.desktop.inhibitor.calls.isEmpty());
        QCOMPARE(fixture.settingsText(), before);
        QVERIFY(!QFileInfo::exists(fixture.tree.path(QStringLiteral("r.zip"))));
        QVERIFY(fixture.inIdleLayout());
        QVERIFY(window.autoTimer().isActive());
        QCOMPARE(fixture.control<QLabel>("LBL_Status")->text(), QStringLiteral("čekam..."));
    }

    void saveDialogCancelledWritesNothing()
    {
        Fixture fixture(QStringLiteral("[Timer]\r\nEnabled=1\r\n"));
        TGlavni &window = fixture.open();
        const QString before = fixture.settingsText();
        window.RucnaZClick();

        QCOMPARE(fixture.saveRequests.size(), 1);
        QCOMPARE(fixture.dialogs.size(), 0);
        QCOMPARE(fixture.desktop.tray.messages.size(), 0);
        QCOMPARE(fixture.settingsText(), before);
        QVERIFY(fixture.inIdleLayout());
        QVERIFY(window.autoTimer().isActive());
    }

    // The save dialog opens where the last manual archive went, else in the archive folder, else at
    // home; never in the folder the program was started from.
    void saveDialogStartFolder_data()
    {
        QTest::addColumn<QString>("lastManual");
        QTest::addColumn<bool>("archiveFolderExists");
        QTest::addColumn<QString>("expected");
        QTest::newRow("last manual archive's folder")
            << QStringLiteral("rucno/stara.zip") << true << QStringLiteral("rucno");
        QTest::newRow("that folder is gone")
            << QStringLiteral("nema/stara.zip") << true << QStringLiteral("arhiva");
        QTest::newRow("no manual archive yet") << QString() << true << QStringLiteral("arhiva");
        QTest::newRow("no archive folder either") << QString() << false << QStringLiteral("~");
    }

    void saveDialogStartFolder()
    {
        QFETCH(QString, lastManual);
        QFETCH(bool, archiveFolderExists);
        QFETCH(QString, expected);
        TempTree other;
        Fixture fixture;
        other.makeDir(QStringLiteral("rucno"));
        if (!lastManual.isEmpty())
            fixture.tree.writeFile(QStringLiteral("config/Arkivoda/Arkivoda.ini"),
                                   (QStringLiteral("[LokacijaAuto]\r\nPutanja=") + fixture.archiveFolder +
                                    QStringLiteral("\r\n[Last]\r\nFileR=") + other.path(lastManual) +
                                    QStringLiteral("\r\n"))
                                       .toUtf8());
        if (!archiveFolderExists)
            QDir(fixture.archiveFolder).removeRecursively();
        TGlavni &window = fixture.open();
        window.RucnaZClick();

        QCOMPARE(fixture.saveRequests.size(), 1);
        const QString folder = expected == QLatin1String("~")        ? QDir::homePath()
                               : expected == QLatin1String("arhiva") ? fixture.archiveFolder
                                                                     : other.path(expected);
        QCOMPARE(QDir::cleanPath(fixture.saveRequests.first().folder), QDir::cleanPath(folder));
    }

    void overwriteQuestion_data()
    {
        QTest::addColumn<int>("answer");
        QTest::newRow("NE keeps the old file") << int(mrNo);
        QTest::newRow("DA replaces it") << int(mrYes);
        // The question is shown, and closed as the title bar's close box closes it.
        QTest::newRow("closing the question keeps the old file") << int(mrNone);
    }

    void overwriteQuestion()
    {
        QFETCH(int, answer);
        Fixture fixture;
        TGlavni &window = fixture.open();
        const QString archive = fixture.tree.writeFile(QStringLiteral("stara.zip"), "stari sadržaj");
        fixture.saveAnswer = archive;
        fixture.answer = [answer](const MessageDialogRequest &request) -> std::optional<int> {
            if (request.caption != QLatin1String("Odluka"))
                return mrOk;
            return answer == mrNone ? std::nullopt : std::optional<int>(answer);
        };
        const ModalDriver closer([](QWidget *question) { question->close(); });
        window.RucnaZClick();
        QCOMPARE(closer.acted(), answer == mrNone);

        const MessageDialogRequest &question = fixture.dialogs.first();
        QCOMPARE(question.caption, QStringLiteral("Odluka"));
        QCOMPARE(question.type, TMsgDlgType::mtConfirmation);
        QCOMPARE(question.buttons, mbYes | mbNo);
        QCOMPARE(question.captions, (QStringList{QStringLiteral("DA"), QStringLiteral("NE")}));
        QCOMPARE(question.text,
                 QStringLiteral("Datoteka stara.zip u odabranoj mapi već postoji!\r\n\r\n"
                                "Da li želite napraviti arhiviranje preko postojeće datoteke?"));
        if (answer != mrYes) {
            QCOMPARE(fixture.dialogs.size(), 1);
            QVERIFY(fixture.desktop.inhibitor.calls.isEmpty());
            QFile old(archive);
            QVERIFY(old.open(QIODevice::ReadOnly));
            QCOMPARE(QString::fromUtf8(old.readAll()), QStringLiteral("stari sadržaj"));
            QVERIFY(!fixture.settingsText().contains(QStringLiteral("FileR=")));
        } else {
            QCOMPARE(ZipCheck::readerProblems(archive), QStringList());
            QCOMPARE(fixture.control<QLabel>("LokacijaR")->text(), archive);
        }
        QVERIFY(fixture.inIdleLayout());
    }

    // Two clicks make one pause; the box stands at the window's left + 190, top + 160, the bars turn
    // yellow, and the time it is open does not count as archiving time.
    void pause()
    {
        Fixture fixture;
        TGlavni &window = fixture.open();
        window.runController().setHandOverObserver([&](HandOver which) {
            if (which == HandOver::CopySettings) {
                window.BTN_PauseClick();
                window.BTN_PauseClick();
            }
        });
        int boxes = 0;
        QPoint boxCorner;
        QPoint expectedCorner;
        QStringList barStates;
        QString boxText;
        QString buttonText;
        QTimer watch;
        QPointer<QWidget> lastBox;
        connect(&watch, &QTimer::timeout, this, [&] {
            QWidget *modal = QApplication::activeModalWidget();
            if (!modal || modal->objectName() != QLatin1String("PauseBox") || modal == lastBox)
                return;
            lastBox = modal;
            ++boxes;
            boxCorner = modal->frameGeometry().topLeft();
            expectedCorner = window.frameGeometry().topLeft() + QPoint(190, 160);
            boxText = modal->findChild<QLabel *>(QStringLiteral("qt_msgbox_label"))->text();
            buttonText = modal->findChild<QPushButton *>()->text();
            barStates << fixture.control("PB")->property("barState").toString()
                      << fixture.control("PBU")->property("barState").toString();
            QTimer::singleShot(2300, modal, &QWidget::close);
        });
        watch.start(10);
        window.AutoZClick();
        watch.stop();

        QCOMPARE(boxes, 1);
        // The text names the one button the box has.
        QCOMPARE(boxText, QStringLiteral("Arhiviranje je pauzirano. Pritisnite U redu za nastavak..."));
        QCOMPARE(buttonText, QStringLiteral("U redu"));
        QCOMPARE(boxCorner, expectedCorner);
        QCOMPARE(barStates, (QStringList{QStringLiteral("paused"), QStringLiteral("paused")}));
        QVERIFY(fixture.desktop.launcher.states.contains(LauncherProgress::State::Paused));
        QCOMPARE(fixture.control("PB")->property("barState").toString(), QStringLiteral("normal"));
        QVERIFY2(window.runState().proteklo_vrijeme <= 1,
                 qPrintable(window.runState().proteklo_vrijeme_prikaz));
        QCOMPARE(fixture.archives().size(), 1);
    }

    // The stop turns the file bar red and puts the forced stop in the stop button's place; the run
    // finishes its file and leaves a valid archive, reported as partial.
    void stop()
    {
        Fixture fixture;
        fixture.tree.writeFile(QStringLiteral("izvor/0_velika.bin"), randomBytes(4 << 20));
        TGlavni &window = fixture.open();
        window.runController().setHandOverObserver([&](HandOver which) {
            if (which == HandOver::CopySettings)
                window.BTN_PauseClick();
        });
        QString stopping;
        QString barState;
        bool killUp = false;
        const ModalDriver driver(
            [&](QWidget *box) {
                window.BTN_CancelClick();
                stopping = fixture.control<QLabel>("LBL_Status")->text();
                box->close();
                barState = fixture.control("PB")->property("barState").toString();
                auto *kill = fixture.control<QAbstractButton>("BTN_Kill");
                killUp = !kill->isHidden() && kill->isEnabled() &&
                         kill->geometry() == QRect(552, 295, 161, 26) &&
                         !fixture.control<QAbstractButton>("BTN_Cancel")->isEnabled() &&
                         !fixture.control<QAbstractButton>("BTN_Pause")->isEnabled();
            },
            QStringLiteral("PauseBox"));
        window.AutoZClick();

        QCOMPARE(stopping, QStringLiteral("finaliziram arhivu i prekidam arhiviranje..."));
        QCOMPARE(barState, QStringLiteral("error"));
        QVERIFY(killUp);
        QVERIFY(fixture.desktop.launcher.states.contains(LauncherProgress::State::Error));
        const QString archive = fixture.archiveFolder + fixture.archives().value(0);
        QCOMPARE(ZipCheck::readerProblems(archive), QStringList());
        QCOMPARE(fixture.control<QLabel>("LBL_Status")->text(),
                 QStringLiteral("arhiviranje je prekinuto, izrađena je djelomična arhiva"));
        QCOMPARE(fixture.control<QProgressBar>("PB")->value(), 100);
        QCOMPARE(fixture.control<QProgressBar>("PBU")->value(), 100);
        const QList<MessageDialogRequest> summaries = fixture.dialogsCaptioned(QStringLiteral("Info"));
        QCOMPARE(summaries.size(), 1);
        QVERIFY(summaries.first().text.startsWith(
            QStringLiteral("Djelomično arhiviranje je izvršeno na mapi\r\n")));
        // The notification says the same, never that the run is done.
        QVERIFY(!fixture.desktop.tray.messages.isEmpty());
        QVERIFY2(
            fixture.desktop.tray.messages.last().text.startsWith(
                QStringLiteral("Arhiviranje je prekinuto; djelomična arhiva spremljena je u \r\n") + archive),
            qPrintable(fixture.desktop.tray.messages.last().text));
        QVERIFY(fixture.inIdleLayout());
    }

    void forcedStop_data()
    {
        QTest::addColumn<int>("answer");
        QTest::newRow("NE changes nothing") << int(mrNo);
        QTest::newRow("DA ends the worker") << int(mrYes);
    }

    void forcedStop()
    {
        QFETCH(int, answer);
        Fixture fixture;
        fixture.tree.writeFile(QStringLiteral("izvor/0_velika.bin"), randomBytes(8 << 20));
        TGlavni &window = fixture.open();
        fixture.answer = [answer](const MessageDialogRequest &request) -> std::optional<int> {
            return request.buttons.testFlag(mbYes) ? answer : mrOk;
        };
        window.runController().setHandOverObserver([&](HandOver which) {
            if (which == HandOver::CopySettings)
                window.BTN_PauseClick();
        });
        bool killEnabledAfter = false;
        QString status;
        const ModalDriver driver(
            [&](QWidget *box) {
                window.BTN_CancelClick();
                window.BTN_KillClick();
                killEnabledAfter = fixture.control<QAbstractButton>("BTN_Kill")->isEnabled();
                status = fixture.control<QLabel>("LBL_Status")->text();
                box->close();
            },
            QStringLiteral("PauseBox"));
        window.AutoZClick();
        window.runController().waitForWorker();

        const MessageDialogRequest &question = fixture.dialogsCaptioned(QStringLiteral("Upozorenje")).first();
        QCOMPARE(question.type, TMsgDlgType::mtWarning);
        QCOMPARE(question.text, text(Msg::QuestionForcedStop));
        QCOMPARE(question.captions, (QStringList{QStringLiteral("DA"), QStringLiteral("NE")}));
        const QString archive = fixture.archiveFolder + fixture.archives().value(0);
        if (answer == mrNo) {
            QVERIFY(killEnabledAfter);
            QCOMPARE(status, QStringLiteral("finaliziram arhivu i prekidam arhiviranje..."));
            QVERIFY(!window.runState().fKill);
            QCOMPARE(ZipCheck::readerProblems(archive), QStringList());
        } else {
            QVERIFY(!killEnabledAfter);
            QCOMPARE(status, QStringLiteral("nasilno prekidam arhiviranje..."));
            QVERIFY(window.runState().fKill);
            // Only the incomplete ".part" file is there; the summary names it.
            QVERIFY(archive.endsWith(QStringLiteral(".zip.part")));
            QCOMPARE(fixture.archives().size(), 1);
            QVERIFY(!ZipCheck::readerProblems(archive).isEmpty());
            QVERIFY(fixture.dialogsCaptioned(QStringLiteral("Greška")).value(0).text.contains(archive));
        }
        QCOMPARE(fixture.control<QLabel>("LBL_Status")->text(),
                 QStringLiteral("arhiviranje je prekinuto, izrađena je djelomična arhiva"));
        QVERIFY(fixture.inIdleLayout());
    }

    void anUnwritableSettingsFileIsReportedAfterTheAttempt()
    {
        Fixture fixture;
        TGlavni &window = fixture.open();
        // A folder in the settings file's place cannot be written, whatever the user's rights.
        QFile::remove(fixture.dataFolder + QStringLiteral("Arkivoda.ini"));
        fixture.tree.makeDir(QStringLiteral("config/Arkivoda/Arkivoda.ini"));
        const QString archive = fixture.tree.path(QStringLiteral("r.zip"));
        fixture.saveAnswer = archive;
        window.RucnaZClick();

        // Worded through the message table.
        QCOMPARE(fixture.errors.size(), 1);
        QVERIFY2(fixture.errors.first().startsWith(MessageTable::fill(
                     text(Msg::ErrorFileNotWritten), {fixture.dataFolder + QStringLiteral("Arkivoda.ini")})),
                 qPrintable(fixture.errors.first()));

        QCOMPARE(fixture.dialogsCaptioned(QStringLiteral("Info")).size(), 0);
        QVERIFY(fixture.inIdleLayout());
        QCOMPARE(ZipCheck::readerProblems(archive), QStringList());
    }

    void closeRules_data()
    {
        QTest::addColumn<QString>("settings");
        QTest::addColumn<bool>("trayAvailable");
        QTest::addColumn<bool>("fromTray");
        QTest::addColumn<QString>("outcome");
        QTest::newRow("close") << QString() << true << false << QStringLiteral("closed");
        QTest::newRow("close to minimise, taskbar")
            << QStringLiteral("CloseToTray=1\r\n") << true << false << QStringLiteral("minimised");
        QTest::newRow("close to minimise, tray") << QStringLiteral("CloseToTray=1\r\nStartToTray=1\r\n")
                                                 << true << false << QStringLiteral("hidden");
        QTest::newRow("close to minimise, tray wanted but absent")
            << QStringLiteral("CloseToTray=1\r\nStartToTray=1\r\n") << false << false
            << QStringLiteral("minimised");
        QTest::newRow("exit from the tray") << QStringLiteral("CloseToTray=1\r\nStartToTray=1\r\n") << true
                                            << true << QStringLiteral("closed");
    }

    void closeRules()
    {
        QFETCH(QString, settings);
        QFETCH(bool, trayAvailable);
        QFETCH(bool, fromTray);
        QFETCH(QString, outcome);
        Fixture fixture(QStringLiteral("[Program]\r\n") + settings);
        fixture.desktop.tray.available = trayAvailable;
        TGlavni &window = fixture.open();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QSignalSpy closed(&window, &TGlavni::closed);
        if (fromTray)
            window.TPP_CloseClick();
        else
            fixture.control<QAbstractButton>("Kraj")->click();
        QCoreApplication::processEvents();

        QString seen = QStringLiteral("open");
        if (closed.size() == 1)
            seen = QStringLiteral("closed");
        else if (window.isHidden())
            seen = QStringLiteral("hidden");
        else if (window.isMinimized())
            seen = QStringLiteral("minimised");
        QCOMPARE(seen, outcome);
        QVERIFY(!window.closeFromTray() || fromTray);
        QCOMPARE(fixture.desktop.tray.shown, outcome != QLatin1String("closed"));
    }

    void altF4IsRefusedDuringARun()
    {
        Fixture fixture;
        TGlavni &window = fixture.open();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QSignalSpy closed(&window, &TGlavni::closed);
        window.runController().setHandOverObserver([&](HandOver which) {
            if (which != HandOver::FileCount)
                return;
            QTest::keyClick(&window, Qt::Key_F4, Qt::AltModifier);
            // The window manager's close request is refused as well.
            window.close();
        });
        window.AutoZClick();
        QCOMPARE(closed.size(), 0);
        QVERIFY(window.isVisible());

        QTest::keyClick(&window, Qt::Key_F4, Qt::AltModifier);
        QCOMPARE(closed.size(), 1);
    }

    // The run's end goes to the desktop's notification service when one runs, else to a balloon; a
    // click on the notification brings the window back.
    void endOfRunNotification_data()
    {
        QTest::addColumn<bool>("service");
        QTest::addColumn<bool>("archiveFolderMissing");
        QTest::addColumn<bool>("sourceMissing");
        QTest::addColumn<QString>("notice");
        const QString done = QStringLiteral("Arhiviranje je završeno u arhivu \n");
        QTest::newRow("service, complete") << true << false << false << done;
        QTest::newRow("service, failed") << true << true << false << QString();
        QTest::newRow("no service, complete") << false << false << false << done;
        QTest::newRow("service, a source missing")
            << true << false << true
            << QStringLiteral("Arhiviranje je završeno bez 1 nedostupne datoteke ili mape u arhivu \n");
    }

    void endOfRunNotification()
    {
        QFETCH(bool, service);
        QFETCH(bool, archiveFolderMissing);
        QFETCH(bool, sourceMissing);
        QFETCH(QString, notice);
        Fixture fixture(QStringLiteral("[Program]\r\nReport=0\r\n"));
        if (sourceMissing)
            fixture.writeList({fixture.tree.path(QStringLiteral("izvor")), fixture.missing});
        fixture.desktop.notifications.available = service;
        TGlavni &window = fixture.open();
        QString target = fixture.tree.path(QStringLiteral("r.zip"));
        if (archiveFolderMissing)
            target = fixture.tree.path(QStringLiteral("nema/r.zip"));
        fixture.saveAnswer = target;
        // An archive that cannot be written has its own error box first.
        const ModalDriver closeArchiveError([](QWidget *box) { box->close(); },
                                            QStringLiteral("ArchiveErrorBox"));

        window.RucnaZClick();

        const QList<Notifications::Notification> &shown = fixture.desktop.notifications.shown;
        QCOMPARE(shown.size(), service ? 1 : 0);
        QCOMPARE(fixture.desktop.tray.messages.size(), service ? 0 : 1);
        if (!service)
            return;
        QCOMPARE(shown.first().title, QStringLiteral("Arkivoda "));
        QCOMPARE(shown.first().icon, archiveFolderMissing ? TrayIcon::BalloonIcon::Error
                                     : sourceMissing      ? TrayIcon::BalloonIcon::Warning
                                                          : TrayIcon::BalloonIcon::Information);
        if (!archiveFolderMissing)
            QCOMPARE(shown.first().text,
                     notice + target + QStringLiteral("\nArhiva je provjerena: ispravna"));
        QCOMPARE(shown.first().actions.first().key, QStringLiteral("default"));
        window.hide();
        emit fixture.desktop.notifications.actionInvoked(QStringLiteral("default"));
        QVERIFY(window.isVisible());
    }

    // A run whose archive cannot be made (an archive folder this user may not write) ends with one box,
    // the archive error's. Afterwards the status line says what failed
    // and never that the archive is being finalised, and no window lists sources missing from an archive
    // that does not exist.
    void aRunWhoseArchiveCannotBeMadeSaysSoOnce()
    {
        Fixture fixture;
        fixture.writeList({fixture.tree.path(QStringLiteral("izvor")), fixture.missing});
        const QByteArray archiveFolder = QFile::encodeName(fixture.archiveFolder);
        QVERIFY(::chmod(archiveFolder.constData(), 0555) == 0);
        const auto writableAgain =
            qScopeGuard([&archiveFolder] { ::chmod(archiveFolder.constData(), 0755); });
        const PermissionsBindRoot permissions;
        if (!permissions.active())
            QSKIP("permissions cannot be made to bind this user");
        TGlavni &window = fixture.open();
        PaintedTexts status;
        int errorBoxes = 0;
        const ModalDriver closeArchiveError(
            [&](QWidget *box) {
                ++errorBoxes;
                fixture.control("LBL_Status")->installEventFilter(&status);
                box->close();
            },
            QStringLiteral("ArchiveErrorBox"));
        const ModalDriver missingFiles([](QWidget *report) { report->close(); },
                                       QStringLiteral("Form_FilesMissing"));

        window.AutoZClick();
        window.runController().waitForWorker();

        QCOMPARE(errorBoxes, 1);
        QCOMPARE(fixture.dialogs.size(), 0);
        QVERIFY(!missingFiles.acted());
        QVERIFY(!window.missingFilesWindow());
        QVERIFY2(!status.texts.contains(QStringLiteral("finaliziram arhivu...")),
                 qPrintable(status.texts.join(u'|')));
        QVERIFY2(fixture.control<QLabel>("LBL_Status")
                     ->text()
                     .startsWith(QStringLiteral("Arhiviranje nije uspjelo")),
                 qPrintable(fixture.control<QLabel>("LBL_Status")->text()));
        QCOMPARE(fixture.archives(), QStringList());
        QVERIFY(fixture.inIdleLayout());
    }

    void restoreFromTheTray()
    {
        Fixture fixture(QStringLiteral("[Program]\r\nStartToTray=1\r\n"));
        fixture.desktop.tray.available = true;
        TGlavni &window = fixture.open();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        window.showMinimized();
        QTRY_VERIFY(window.isHidden());

        emit fixture.desktop.tray.mousePressed(Qt::RightButton);
        emit fixture.desktop.tray.doubleClicked();
        QVERIFY(window.isHidden());

        emit fixture.desktop.tray.mousePressed(Qt::LeftButton);
        emit fixture.desktop.tray.doubleClicked();
        QVERIFY(window.isVisible());
        QVERIFY(!window.isMinimized());

        window.hide();
        emit fixture.desktop.tray.messageClicked();
        QVERIFY(window.isVisible());
        window.hide();
        window.trayPopup().actions().first()->trigger();
        QVERIFY(window.isVisible());
    }

    // Started minimised to the tray, the first left double click brings the window up: it is shown
    // in its normal state, never mapped minimised (which the window manager would then report back,
    // and the window would go to the tray again).
    void theFirstDoubleClickRestoresAWindowStartedInTheTray()
    {
        Fixture fixture(QStringLiteral("[Program]\r\nStartMinimized=1\r\nStartToTray=1\r\n"));
        fixture.desktop.tray.available = true;
        fixture.window =
            std::make_unique<TGlavni>(QStringList{QStringLiteral("arkivoda")}, fixture.desktop.services());
        TGlavni &window = *fixture.window;
        window.showAtStart();
        QCoreApplication::processEvents();
        QVERIFY(window.isHidden());
        QList<bool> minimisedWhenShown;
        ShowWatch watch([&] { minimisedWhenShown << window.isMinimized(); });
        window.installEventFilter(&watch);

        emit fixture.desktop.tray.mousePressed(Qt::LeftButton);
        emit fixture.desktop.tray.doubleClicked();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QTest::qWait(50);

        QVERIFY(!minimisedWhenShown.isEmpty());
        QVERIFY(!minimisedWhenShown.contains(true));
        QVERIFY(window.isVisible());
        QVERIFY(!window.isMinimized());
    }

    // Dialogs are modal to their window only: while one is up, the tray menu still answers, and the
    // main window does not. The restore window, which the dialog would block behind it, is not offered
    // until the dialog has closed.
    void theTrayMenuWorksWhileADialogIsUp_data()
    {
        QTest::addColumn<QString>("dialog");
        QTest::newRow("message dialog") << QStringLiteral("message dialog");
        QTest::newRow("settings window") << QStringLiteral("settings window");
        QTest::newRow("About box") << QStringLiteral("About box");
    }

    void theTrayMenuWorksWhileADialogIsUp()
    {
        QFETCH(QString, dialog);
        Fixture fixture;
        // The message dialog is shown, not answered by the fixture.
        fixture.answer = [](const MessageDialogRequest &) { return std::optional<int>(); };
        TGlavni &window = fixture.open();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QMenu &tray = window.trayPopup();
        QSignalSpy restore(tray.actions().first(), &QAction::triggered);
        QSignalSpy closed(&window, &TGlavni::closed);
        Qt::WindowModality modality = Qt::NonModal;
        QAction *restoreFiles = tray.actions().at(1);
        const auto clickInTray = [&tray](QAction *action) {
            tray.popup(QPoint(10, 10));
            if (QTest::qWaitForWindowExposed(&tray))
                QTest::mouseClick(tray.windowHandle(), Qt::LeftButton, {},
                                  tray.actionGeometry(action).center());
            tray.close();
        };
        bool restoreFilesOffered = true;
        bool dialogKeptTheKeyboard = false;
        const ModalDriver driver([&](QWidget *modal) {
            modality = modal->windowModality();
            // A click on the main window's exit button goes nowhere while the dialog is up.
            QWidget *exit = fixture.control("Kraj");
            QTest::mouseClick(window.windowHandle(), Qt::LeftButton, {},
                              exit->mapTo(&window, exit->rect().center()));
            clickInTray(tray.actions().first());
            QCoreApplication::processEvents();
            dialogKeptTheKeyboard = QApplication::activeWindow() == modal;
            clickInTray(restoreFiles);
            restoreFilesOffered = restoreFiles->isEnabled() || window.restoreWindow();
            modal->close();
        });
        if (dialog == QLatin1String("message dialog"))
            window.LokacijaAClick();
        else if (dialog == QLatin1String("settings window"))
            window.MM_ListaClick();
        else
            window.MM_OprogramuClick();

        QVERIFY(driver.acted());
        QCOMPARE(modality, Qt::WindowModal);
        QCOMPARE(restore.size(), 1);
        QCOMPARE(closed.size(), 0);
        QVERIFY(!restoreFilesOffered);
        QVERIFY(dialogKeptTheKeyboard);
        clickInTray(restoreFiles);
        QVERIFY(window.restoreWindow());
    }

    void minimisingDuringARunKeepsTheTaskbarButton()
    {
        Fixture fixture(QStringLiteral("[Program]\r\nStartToTray=1\r\n"));
        fixture.desktop.tray.available = true;
        TGlavni &window = fixture.open();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        bool visibleWhileRunning = false;
        window.runController().setHandOverObserver([&](HandOver which) {
            if (which == HandOver::CopySettings)
                window.showMinimized();
            if (which == HandOver::TimerStop) {
                QCoreApplication::processEvents();
                visibleWhileRunning = window.isVisible() && window.isMinimized();
            }
        });
        window.AutoZClick();
        QVERIFY(visibleWhileRunning);
        // The summary brought the window up; minimised after the run, it goes to the tray again.
        window.showMinimized();
        QTRY_VERIFY(window.isHidden());
    }

    void lastArchiveLinks_data()
    {
        QTest::addColumn<bool>("automatic");
        QTest::addColumn<bool>("exists");
        QTest::addColumn<bool>("shown");
        QTest::addColumn<int>("message");
        QTest::newRow("LokacijaA showing -")
            << true << false << true << int(Msg::ErrorLastAutoArchiveMissing);
        QTest::newRow("LokacijaR showing -")
            << false << false << true << int(Msg::ErrorLastManualArchiveMissing);
        QTest::newRow("LokacijaA with its archive") << true << true << true << 0;
        // Neither a file manager nor a program for folders: the window says so.
        QTest::newRow("nothing can show the folder")
            << true << true << false << int(Msg::ErrorFolderNotShown);
    }

    void lastArchiveLinks()
    {
        QFETCH(bool, automatic);
        QFETCH(bool, exists);
        QFETCH(bool, shown);
        QFETCH(int, message);
        Fixture fixture;
        fixture.desktop.files.result = shown;
        const QString archive = fixture.tree.writeFile(QStringLiteral("arhiva/Arhiva_1.zip"), "PK");
        if (exists)
            fixture.tree.writeFile(
                QStringLiteral("config/Arkivoda/Arkivoda.ini"),
                (QStringLiteral("[Last]\r\nFileA=") + archive + QStringLiteral("\r\n")).toUtf8());
        TGlavni &window = fixture.open();
        QLabel *label = fixture.control<QLabel>(automatic ? "LokacijaA" : "LokacijaR");
        QCOMPARE(label->cursor().shape(), Qt::PointingHandCursor);
        QTest::mouseClick(label, Qt::LeftButton);

        QCOMPARE(fixture.desktop.files.shown, exists ? QStringList{archive} : QStringList());
        if (message == 0) {
            QCOMPARE(fixture.dialogs.size(), 0);
            return;
        }
        QCOMPARE(fixture.dialogs.size(), 1);
        QCOMPARE(fixture.dialogs.first().caption, QStringLiteral("Greška"));
        QCOMPARE(fixture.dialogs.first().text,
                 MessageTable::fill(text(quint16(message)), {QFileInfo(archive).absolutePath()}));
        QCOMPARE(fixture.dialogs.first().owner, static_cast<QWidget *>(&window));
    }
};

QTEST_MAIN(TestTGlavni)
#include "RequireControl.h"
#include "tst_TGlavni.moc"
