#include "app/TGlavni.h"

#include "about/TAboutBox.h"
#include "app/EndOfRunBoxes.h"
#include "app/EndOfRunStep.h"
#include "app/LanguageMenu.h"
#include "app/MainTray.h"
#include "app/MainWindowLook.h"
#include "app/RunBars.h"
#include "app/TForm_FilesMissing.h"
#include "app/TOdabirBaze.h"
#include "app/TVracanjeDatoteka.h"
#include "config/ConfigPaths.h"
#include "config/MessageTable.h"
#include "config/ResourceModules.h"
#include "platform/FileManager.h"
#include "platform/SingleInstance.h"
#include "platform/SleepInhibitor.h"
#include "platform/SystemResume.h"
#include "platform/WindowAlert.h"
#include "run/ArchiveName.h"
#include "run/ArchiveRecord.h"
#include "run/FileSystem.h"
#include "run/RemoteCopy.h"
#include "run/RunSummary.h"
#include "run/WipeFile.h"
#include "run/ZipReason.h"
#include "ui/ApplicationError.h"
#include "ui/MyMessageDialog.h"
#include "ui/SaveFileDialog.h"
#include "ui/WindowHelpers.h"
#include "ui_TGlavni.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPushButton>
#include <QScopeGuard>
#include <QScreen>
#include <QShortcut>

namespace {

// The key of the finished run's notification action that shows the archive in its folder.
constexpr char openFolderAction[] = "open-folder";

QString message(quint16 number)
{
    return MessageTable::text(number);
}

} // namespace

TGlavni::TGlavni(const QStringList &arguments, DesktopServices services, QWidget *parent)
    : QMainWindow(parent), ui(std::make_unique<Ui::TGlavni>()), m_services(services), m_controller(*this),
      m_dailyRun(m_settings, [this] { return m_controller.inProgress(); })
{
    Q_INIT_RESOURCE(arkivoda);
    ui->setupUi(this);
    ApplyMainWindowLook(*ui, *this);
    m_bars = std::make_unique<RunBars>(ui->PB, ui->PBU, m_services.launcher);
    m_endOfRun = new EndOfRunBoxes(ui->CB_Close, ui->CB_Shutdown, ui->CB_Logoff, this);
    m_endOfRunStep = new EndOfRunStep(m_services.session, this);
    m_language = new LanguageMenu(ui->MM_Hrvatski, ui->MM_Engleski, m_settings, this);

    m_tray = new MainTray(m_services.tray, m_services.notifications, {ui->TPP_Restore, ui->TPP_Vracanje},
                          ui->TPP_Close, this);
    m_tray->setWindowItems({ui->TPP_Vracanje});
    connect(m_tray, &MainTray::restoreRequested, this, &TGlavni::TPP_RestoreClick);
    connectControls();
    // A later start on this configuration may ask already while the start-up's settings window is open.
    m_services.instance.setForwardRequestHandler([this] { comeForward(); });
    startUp(arguments);
}

TGlavni::~TGlavni()
{
    m_services.instance.setForwardRequestHandler({});
    m_services.tray.hide();
}

void TGlavni::connectControls()
{
    connect(ui->AutoZ, &QAbstractButton::clicked, this, &TGlavni::AutoZClick);
    connect(ui->RucnaZ, &QAbstractButton::clicked, this, &TGlavni::RucnaZClick);
    connect(ui->Kraj, &QAbstractButton::clicked, this, &QWidget::close);
    connect(ui->MM_Izlaz, &QAction::triggered, this, &QWidget::close);
    connect(ui->MM_Lista, &QAction::triggered, this, &TGlavni::MM_ListaClick);
    connect(ui->BTN_Pause, &QAbstractButton::clicked, this, &TGlavni::BTN_PauseClick);
    connect(ui->BTN_Cancel, &QAbstractButton::clicked, this, &TGlavni::BTN_CancelClick);
    connect(ui->BTN_Kill, &QAbstractButton::clicked, this, &TGlavni::BTN_KillClick);
    connect(ui->TPP_Restore, &QAction::triggered, this, &TGlavni::TPP_RestoreClick);
    connect(ui->TPP_Close, &QAction::triggered, this, &TGlavni::TPP_CloseClick);
    connect(ui->MM_Oprogramu, &QAction::triggered, this, &TGlavni::MM_OprogramuClick);
    connect(ui->MM_Vracanje, &QAction::triggered, this, &TGlavni::MM_VracanjeClick);
    connect(ui->TPP_Vracanje, &QAction::triggered, this, &TGlavni::MM_VracanjeClick);
    connectDailyRun();
    connect(m_endOfRunStep, &EndOfRunStep::closeRequested, this, [this] {
        m_closeFromTray = true;
        close();
    });
    connect(m_endOfRunStep, &EndOfRunStep::sessionEndRefused, this, &TGlavni::reportSessionEndRefused);
    connect(&m_services.resume, &SystemResume::resumed, this, [this] {
        showBackupAge();
        checkMissedRun();
    });
    connect(m_language, &LanguageMenu::switched, this, [this] {
        // The texts that code placed, now in the new language.
        showProgramTitle();
        setStatusText(message(Msg::StatusIdle));
        applySettingsChanges();
    });
    ui->LokacijaA->installEventFilter(this);
    ui->LokacijaR->installEventFilter(this);
    setUpKeyboard();
    auto *altF4 = new QShortcut(QKeySequence(Qt::ALT | Qt::Key_F4), this);
    connect(altF4, &QShortcut::activated, this, &TGlavni::FormKeyDown);
    connect(m_tray, &MainTray::actionChosen, this, [this](const QString &key) {
        if (key == QLatin1String(openFolderAction)) {
            [[maybe_unused]] const bool shown =
                SelectFileInExplorer(m_services.fileManager, m_notifiedArchive);
        }
    });
}

void TGlavni::setUpKeyboard()
{
    // Every control is reached with Tab in the order the window shows them, the run's controls and the
    // last archives' links included; a link opens with Enter or Space.
    for (QWidget *control : std::initializer_list<QWidget *>{ui->BTN_Pause, ui->BTN_Cancel, ui->BTN_Kill,
                                                             ui->LokacijaA, ui->LokacijaR})
        control->setFocusPolicy(Qt::StrongFocus);
    const QList<QWidget *> chain = {ui->AutoZ,     ui->RucnaZ,    ui->BTN_Pause,   ui->BTN_Cancel,
                                    ui->BTN_Kill,  ui->CB_Close,  ui->CB_Shutdown, ui->CB_Logoff,
                                    ui->LokacijaA, ui->LokacijaR, ui->Kraj};
    for (qsizetype i = 1; i < chain.size(); ++i)
        setTabOrder(chain.at(i - 1), chain.at(i));
    // The progress bars and the links are read out with the captions beside them.
    ui->LB_D->setBuddy(ui->PB);
    ui->LB_U->setBuddy(ui->PBU);
    ui->LabelA->setBuddy(ui->LokacijaA);
    ui->LabelR->setBuddy(ui->LokacijaR);
    nameLinks();
}

void TGlavni::nameLinks()
{
    // A link reads out as what it stands for; its text is only a path, or "-".
    ui->LokacijaA->setAccessibleName(ui->LabelA->text());
    ui->LokacijaR->setAccessibleName(ui->LabelR->text());
}

void TGlavni::startUp(const QStringList &arguments)
{
    m_settings.GLOBAL_ApplicationTitle = QCoreApplication::applicationName();
    m_closeFromTray = false;
    const ListSelection selection = ListSelection::fromApplicationArguments(arguments);
    m_settings.GLOBAL_lista = selection.GLOBAL_lista;
    m_settings.GLOBAL_lista_caption = selection.GLOBAL_lista_caption;
    m_settings.userfolder = UserFolderFor(GetGBAppDataPath());
    try {
        CreateUserFolder(m_settings.userfolder);
    } catch (const EConfigError &failure) {
        // Said now, before the settings window asks for settings that could not be saved; reads give
        // their defaults.
        ShowApplicationError(this, ConfigErrorText(failure));
    }
    const LastArchives last = LoadProgramSettings(m_settings);
    ui->LokacijaR->setText(last.FileR);
    ui->LokacijaA->setText(last.FileA);
    applySettingsChanges();
    m_language->applyStored();

    // A first start: the settings window comes before the main window is ever shown.
    if (!FileExists(m_settings.listFileName())) {
        showSettingsWindow();
        if (m_terminated)
            return;
    }

    // The title and the status are messages, so they follow the language chosen above.
    showProgramTitle();
    setStatusText(message(Msg::StatusIdle));
    ui->LBL_MapaArhiva->setText(m_settings.BackupLokacijaAuto);
    m_dailyRun.setLastGood(lastGoodBackup());
    // Decided last: re-applying the window texts switches the timer off, and a save in the settings
    // window sets it.
    applySettingsChanges();
    m_startedUp = true;
}

void TGlavni::showSettingsWindow()
{
    OpenWindow(this, [this] {
        TOdabirBaze window(m_settings, m_services.fileManager, this);
        connect(&window, &TOdabirBaze::programEndRequested, this, &TGlavni::Terminate);
        connect(&window, &TOdabirBaze::mainStatusChosen, this, &TGlavni::setStatusText);
        connect(&window, &TOdabirBaze::dailyTimerChosen, this,
                [this](bool enabled) { setDailyTimer(enabled); });
        OdabirBaze = &window;
        window.exec();
        OdabirBaze.clear();
    });
}

void TGlavni::MM_ListaClick()
{
    showSettingsWindow();
    ui->LBL_MapaArhiva->setText(m_settings.BackupLokacijaAuto);
}

void TGlavni::Terminate()
{
    m_terminated = true;
    m_dailyRun.setRunning(false);
    m_services.tray.hide();
    hide();
    emit closed();
}

void TGlavni::showAtStart()
{
    // Once the event loop runs, so the window is up before a missed run starts.
    QTimer::singleShot(0, this, &TGlavni::checkMissedRun);
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - QPoint(width() / 2, height() / 2));
    if (!m_settings.GLOBAL_StartMinimized) {
        show();
        return;
    }
    if (!m_settings.GLOBAL_StartToTray || !m_services.tray.isAvailable()) {
        showMinimized();
        return;
    }
    // Minimised and never shown: only the tray icon stands for the program.
    setWindowState(Qt::WindowMinimized);
}

// --- Run attempts -------------------------------------------------------------------------------

void TGlavni::AutoZClick()
{
    runAttempt(RunKind::Automatic);
}

void TGlavni::RucnaZClick()
{
    runAttempt(RunKind::Manual);
}

void TGlavni::runAttempt(RunKind kind)
{
    if (!m_controller.beginAttempt())
        return;
    // A countdown still open belongs to the previous run; this attempt ends with the choice's own
    // countdown, so the old one must not carry the action out as well.
    m_endOfRunStep->cancelCountdown();
    const bool autoTimerWasActive = m_dailyRun.isRunning();
    m_dailyRun.setRunning(false);
    try {
        if (m_settings.GLOBAL_StartToTray)
            show();
        const BackupAttempt::Preparation preparation = prepareArchiveName(kind);
        const QString &archive = preparation.archive;
        if (!archive.isEmpty()) {
            BackupAttempt::recordStart(m_settings, kind, m_dailyRun.now());
            runLayout(true);
            m_bars->reset();
            closeOtherWindows();
            RunRequest request = RunRequest::fromSettings(m_settings, archive);
            // A manual run reaches this point only into a free name or with the user's consent to replace.
            request.replaceExisting = kind == RunKind::Manual;
            request.leftoverParts = preparation.leftoverParts;
            {
                // Sleep and shutdown wait for the archive; the summary and its dialogs do not hold them.
                m_services.inhibitor.hold(message(Msg::InhibitReason));
                const auto release = qScopeGuard([this] { m_services.inhibitor.release(); });
                m_controller.run(request);
            }
            runEnd(kind);
        }
    } catch (const EConfigError &failure) {
        // The attempt ends first; then the error is shown, and the program goes on.
        endOfAttempt(autoTimerWasActive);
        ShowApplicationError(this, ConfigErrorText(failure));
        return;
    } catch (const std::exception &failure) {
        endOfAttempt(autoTimerWasActive);
        ShowApplicationError(this, ZipReason::text(failure));
        return;
    }
    endOfAttempt(autoTimerWasActive);
}

BackupAttempt::Preparation TGlavni::prepareArchiveName(RunKind kind)
{
    const bool automatic = kind == RunKind::Automatic;
    QString chosen;
    if (!automatic) {
        // The list comes first, as for the automatic run: no save dialog for a run that cannot start.
        if (const BackupAttempt::Refusal list = BackupAttempt::checkList(m_settings);
            list != BackupAttempt::Refusal::None) {
            refuse({list, QString(), 0, {}}, kind);
            return {};
        }
        const SaveFileRequest request{
            tr("Navedite naziv arhivske datoteke..."), tr("ZIP arhiva (*.zip)"), QStringLiteral("zip"),
            ArchiveName::fileName(m_settings.BckName, ArchiveName::stampNow()), manualArchiveFolder()};
        const std::optional<QString> answer = SaveFileDialog::getSaveFileName(this, request);
        if (!answer)
            return {};
        chosen = *answer;
        if (QFileInfo(chosen).isFile()) {
            const int replace = MyMessageDialog(
                this, message(Msg::CaptionDecision),
                MessageTable::fill(message(Msg::QuestionOverwrite), {QFileInfo(chosen).fileName()}),
                TMsgDlgType::mtConfirmation, mbYes | mbNo, {message(Msg::ButtonYes), message(Msg::ButtonNo)});
            // Only "yes" replaces the old file; closing the question keeps it, as "no" does.
            if (replace != mrYes)
                return {};
        }
    }
    const BackupAttempt::Preparation preparation = BackupAttempt::prepare(kind, m_settings, chosen, true);
    if (preparation.refusal != BackupAttempt::Refusal::None) {
        refuse(preparation, kind);
        return {};
    }
    return preparation;
}

QString TGlavni::manualArchiveFolder() const
{
    // The folder of the last manual archive, else the archive folder, else home; never the folder the
    // program happened to be started in.
    const QFileInfo lastManual(ui->LokacijaR->text());
    if (lastManual.isAbsolute() && DirectoryExists(lastManual.absolutePath()))
        return lastManual.absolutePath();
    if (!m_settings.BackupLokacijaAuto.isEmpty() && DirectoryExists(m_settings.BackupLokacijaAuto))
        return m_settings.BackupLokacijaAuto;
    return QDir::homePath();
}

void TGlavni::refuse(const BackupAttempt::Preparation &preparation, RunKind kind)
{
    using Refusal = BackupAttempt::Refusal;
    const QString text =
        BackupAttempt::text(preparation.refusal, m_settings, preparation.archive, preparation.error);
    switch (preparation.refusal) {
    case Refusal::ListMissing:
        if (kind == RunKind::Automatic)
            bringToFront();
        refuse(text, message(Msg::BalloonListMissing));
        break;
    case Refusal::ListUnreadable:
    case Refusal::ArchiveFolderMissing:
    case Refusal::PrefixInvalid:
        bringToFront();
        refuse(text, text);
        break;
    default:
        // A refusal of the file chosen in the save dialog: the user is at the window already.
        MyMessageDialog(this, message(Msg::CaptionError), text, TMsgDlgType::mtError, mbOK,
                        {message(Msg::ButtonOk)});
        break;
    }
}

void TGlavni::refuse(const QString &text, const QString &balloonText)
{
    MyMessageDialog(this, message(Msg::CaptionError), text, TMsgDlgType::mtError, mbOK,
                    {message(Msg::ButtonOk)});
    m_tray->showBalloon(QStringLiteral("Arkivoda ") + m_settings.GLOBAL_lista_caption, balloonText,
                        TrayIcon::BalloonIcon::Error, 5000);
}

void TGlavni::runLayout(bool running)
{
    // While a run is in progress nothing may start another one, change its settings or close the window.
    const bool idle = !running;
    ui->MM_Program->menuAction()->setEnabled(idle);
    ui->MM_Jezik->menuAction()->setEnabled(idle);
    ui->TPP_Close->setEnabled(idle);
    for (QWidget *button : std::initializer_list<QWidget *>{ui->AutoZ, ui->RucnaZ, ui->Kraj})
        button->setEnabled(idle);
    if (running)
        CloseButtonDisable(this);
    for (QWidget *button : std::initializer_list<QWidget *>{ui->BTN_Cancel, ui->BTN_Pause}) {
        button->setEnabled(running);
        button->setVisible(running);
    }
    if (idle) {
        ui->BTN_Kill->setEnabled(false);
        ui->BTN_Kill->hide();
    }
    for (QWidget *control : std::initializer_list<QWidget *>{ui->PB, ui->PBU, ui->LB_D, ui->LB_U,
                                                             ui->CB_Close, ui->CB_Shutdown, ui->CB_Logoff})
        control->setVisible(running);
    if (idle)
        CloseButtonEnable(this);
}

void TGlavni::closeOtherWindows()
{
    CloseWindowSafely(AboutBox);
    CloseWindowSafely(Form_FilesMissing);
    CloseWindowSafely(OdabirBaze);
}

void TGlavni::runEnd(RunKind kind)
{
    const bool automatic = kind == RunKind::Automatic;
    const RunState &state = m_controller.state();
    // Only an archive that is there is finalised; after a failure the status line says what failed.
    if (BackupAttempt::leftArchive(BackupAttempt::outcome(state))) {
        setStatusText(message(Msg::StatusFinalising));
        ui->LBL_Status->repaint();
    }

    const BackupAttempt::Record record = BackupAttempt::record(m_settings, kind, state);
    const QString failure = BackupAttempt::failureText(record.outcome, state);
    if (record.error) {
        // The archive is there but could not be recorded: the attempt ends with the error dialog.
        throw *record.error;
    }
    if (record.recorded)
        (automatic ? ui->LokacijaA : ui->LokacijaR)->setText(state.arhiva_file);

    using Outcome = BackupAttempt::Outcome;
    switch (record.outcome) {
    case Outcome::Complete:
        setStatusText(message(Msg::StatusRunComplete));
        break;
    // A forced stop keeps the status of a stop, with its bars full.
    case Outcome::Stopped:
    case Outcome::ForcedIncomplete:
    case Outcome::ForcedBeforeArchive:
        showStoppedStatus();
        break;
    case Outcome::ArchiveFailed:
    case Outcome::NotCreated:
    case Outcome::VerifyFailed:
        setStatusText(failure);
        break;
    }
    if (!failure.isEmpty()) {
        // No valid archive: the window says what went wrong, never that the run is done.
        m_tray->notify(QStringLiteral("Arkivoda ") + m_settings.GLOBAL_lista_caption, failure,
                       TrayIcon::BalloonIcon::Error, 5000);
        // An archive that could not be written has had its own error box already.
        if (m_endOfRun->chosen() == EndOfRunAction::None && record.outcome != Outcome::ArchiveFailed) {
            bringToFront();
            ui->BTN_Kill->setEnabled(false);
            ui->BTN_Kill->hide();
            MyMessageDialog(this, message(Msg::CaptionError), failure, TMsgDlgType::mtError, mbOK,
                            {message(Msg::ButtonOk)});
        }
        setWindowTitle(idleTitle());
        m_bars->setLauncherState(LauncherProgress::State::NoProgress);
        QCoreApplication::setApplicationName(m_settings.GLOBAL_ApplicationTitle);
        return;
    }
    // A complete archive goes to the remote target before the run is reported; its failure is worded
    // beside the archive, which stays as it is.
    QString copyText;
    bool copyConfirmed = true;
    if (RemoteCopy::wanted(m_settings, record.outcome)) {
        copyText = sendRemoteCopy(state.arhiva_file, record.mayPrune, &copyConfirmed);
        setStatusText(copyConfirmed ? message(Msg::StatusRunComplete) : copyText);
    }
    const QString copyLine = copyText.isEmpty() ? QString() : QStringLiteral("\r\n") + copyText;
    const RunSummary summary(state, GetFileSize(state.arhiva_file));

    QString balloon = BackupAttempt::endNotice(record, state) + QStringLiteral(" \r\n") + state.arhiva_file;
    if (state.verification == RunState::Verification::Sound)
        balloon += QStringLiteral("\r\n") + message(Msg::VerifiedSound);
    else if (state.verification == RunState::Verification::Interrupted)
        balloon += QStringLiteral("\r\n") + message(Msg::VerifyInterrupted);
    // Where the desktop's notifications take actions, the message offers to open the archive's folder.
    m_notifiedArchive = state.arhiva_file;
    // A stopped run, one without some of its sources and a failed copy are warnings, never plain news.
    const bool whole = record.outcome == Outcome::Complete && state.file_missing == 0 && copyConfirmed;
    m_tray->notify(QStringLiteral("Arkivoda ") + m_settings.GLOBAL_lista_caption, balloon + copyLine,
                   whole ? TrayIcon::BalloonIcon::Information : TrayIcon::BalloonIcon::Warning, 5000,
                   {{QString::fromLatin1(openFolderAction), message(Msg::ActionOpenFolder)}});

    if (m_settings.GLOBAL_Report && m_endOfRun->chosen() == EndOfRunAction::None) {
        bringToFront();
        ui->BTN_Kill->setEnabled(false);
        ui->BTN_Kill->hide();
        QString summaryText = summary.text();
        if (const QStringList notes = BackupAttempt::notes(record, state); !notes.isEmpty())
            summaryText +=
                QStringLiteral("\r\n") + notes.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n");
        // A copy that failed makes the summary a warning, in its title as in its icon.
        MyMessageDialog(this, message(copyConfirmed ? Msg::CaptionInfo : Msg::CaptionWarning),
                        summaryText + copyLine,
                        copyConfirmed ? TMsgDlgType::mtInformation : TMsgDlgType::mtWarning, mbOK,
                        {message(Msg::ButtonOk)});
        if (state.file_missing > 0) {
            MyMessageDialog(this, message(Msg::CaptionWarning),
                            RunSummary::missingWarning(state.file_missing), TMsgDlgType::mtWarning, mbOK,
                            {message(Msg::ButtonOk)});
            showMissingFiles(kind);
        }
    }

    setWindowTitle(idleTitle());
    m_bars->setLauncherState(LauncherProgress::State::NoProgress);
    QCoreApplication::setApplicationName(m_settings.GLOBAL_ApplicationTitle);
}

QString TGlavni::sendRemoteCopy(const QString &archive, bool mayPrune, bool *confirmed)
{
    const QString target = m_settings.GLOBAL_UdaljenoCilj;
    RemoteCopy copy(target, m_settings.GLOBAL_UdaljenoZadrzi);
    m_remoteCopy = &copy;
    ui->BTN_Pause->setEnabled(false);
    ui->BTN_Cancel->setEnabled(true);
    m_bars->setTotalPercent(0);
    const auto showProgress = [this, &target](int percent) {
        setStatusText(RemoteCopy::progressText(target, percent));
        m_bars->setTotalPercent(percent);
    };
    copy.setProgressHandler(showProgress);
    showProgress(0);
    const ArchiveRecord known = ArchiveRecord::read(m_settings);
    const RemoteCopy::Result result = copy.send(archive, m_settings.BckName, mayPrune ? &known : nullptr);
    m_remoteCopy = nullptr;
    ui->BTN_Cancel->setEnabled(false);
    *confirmed = result.confirmed();
    return RemoteCopy::text(result, target);
}

void TGlavni::showStoppedStatus()
{
    m_bars->fill();
    setStatusText(message(Msg::StatusRunStopped));
    ui->LBL_Status->repaint();
}

void TGlavni::showMissingFiles(RunKind kind)
{
    OpenWindow(this, [this, kind] {
        TForm_FilesMissing window(m_settings.GLOBAL_ApplicationTitle, this);
        window.setLines(RunSummary::missingReport(m_controller.state(), kind == RunKind::Automatic));
        Form_FilesMissing = &window;
        window.exec();
        Form_FilesMissing.clear();
    });
}

void TGlavni::endOfAttempt(bool autoTimerWasActive)
{
    runLayout(false);
    if (m_settings.GLOBAL_StartToTray && isMinimized())
        hideToTray();
    m_controller.endAttempt();
    if (auto *restore = qobject_cast<TVracanjeDatoteka *>(Vracanje.data()))
        restore->refreshArchives(m_settings.BackupLokacijaAuto, ui->LokacijaR->text());
    m_dailyRun.setLastGood(lastGoodBackup());
    setDailyTimer(autoTimerWasActive);
    AutomatskoGasenje();
}

void TGlavni::AutomatskoGasenje()
{
    m_endOfRunStep->start(m_endOfRun->chosen());
}

void TGlavni::reportSessionEndRefused(EndOfRunAction action, const QString &reason)
{
    // The program stays open and idle; whoever chose the action finds out why nothing happened.
    const quint16 refused =
        action == EndOfRunAction::Shutdown ? Msg::ErrorShutdownRefused : Msg::ErrorLogoffRefused;
    bringToFront();
    MyMessageDialog(this, message(Msg::CaptionError), MessageTable::fill(message(refused), {reason}),
                    TMsgDlgType::mtError, mbOK, {message(Msg::ButtonOk)});
}

// --- Daily schedule -------------------------------------------------------------------------------

void TGlavni::applySettingsChanges()
{
    setDailyTimer(m_settings.GLOBAL_TimerEnabled);
}

void TGlavni::setClock(std::function<QDateTime()> clock)
{
    m_dailyRun.setClock(std::move(clock));
}

void TGlavni::connectDailyRun()
{
    connect(&m_dailyRun, &DailyRunTimer::countdown, this, [this](const QString &timeLeft) {
        setStatusText(MessageTable::fill(message(Msg::StatusNextAutoRun), {timeLeft}));
    });
    connect(&m_dailyRun, &DailyRunTimer::runSoon, this, [this] {
        m_tray->showBalloon(QStringLiteral("Arkivoda ") + m_settings.GLOBAL_lista_caption,
                            message(Msg::BalloonAutoRunSoon), TrayIcon::BalloonIcon::Warning, 7000);
    });
    connect(
        &m_dailyRun, &DailyRunTimer::runDue, this,
        [this](DailyRunTimer::DueReason, const QTime &dueAt, bool late) { startScheduledRun(dueAt, late); });
    connect(&m_dailyRun, &DailyRunTimer::startRecordUnusable, this, [this](const QString &stored) {
        m_tray->notify(QStringLiteral("Arkivoda ") + m_settings.GLOBAL_lista_caption,
                       MessageTable::fill(message(Msg::NoteStartRecordUnusable), {stored}),
                       TrayIcon::BalloonIcon::Warning, 10000);
    });
    connect(&m_dailyRun, &DailyRunTimer::ageChanged, this, [this](const QString &age, bool overdue) {
        ui->LBL_Zadnje->setText(age);
        m_services.tray.setToolTip(m_trayTitle + QLatin1Char('\n') + age);
        m_tray->setWarning(overdue);
    });
    connect(&m_dailyRun, &DailyRunTimer::overdueToday, this, [this](const QString &age) {
        m_tray->notify(QStringLiteral("Arkivoda ") + m_settings.GLOBAL_lista_caption,
                       MessageTable::fill(message(Msg::NotifyBackupOverdue), {age}),
                       TrayIcon::BalloonIcon::Warning, 10000);
    });
}

void TGlavni::setDailyTimer(bool running)
{
    m_dailyRun.setRunning(running);
}

void TGlavni::AutoTimerTimer()
{
    m_dailyRun.tick();
}

QDateTime TGlavni::lastGoodBackup() const
{
    const QDateTime recorded = ReadRecordedMoment(m_settings, RecordedMoment::LastGoodBackup);
    // A record further ahead than a clock set back explains would read "today" and hide an overdue
    // backup for good: it counts as none.
    constexpr qint64 secondsPerDay = 24 * 60 * 60;
    if (recorded.isValid() && m_dailyRun.now().secsTo(recorded) <= secondsPerDay)
        return recorded;
    // Since runs are on record, every good backup records its moment: the archives shown may be of runs
    // that were not good ones.
    if (ArchiveRecord::read(m_settings).exists())
        return QDateTime();
    QDateTime newest;
    for (const QLabel *label : {ui->LokacijaA, ui->LokacijaR}) {
        const QFileInfo archive(label->text());
        if (archive.isAbsolute() && archive.isFile() &&
            (!newest.isValid() || archive.lastModified() > newest))
            newest = archive.lastModified();
    }
    return newest;
}

void TGlavni::showBackupAge()
{
    m_dailyRun.refreshAge();
}

void TGlavni::checkMissedRun()
{
    if (!m_terminated)
        m_dailyRun.checkMissedRun();
}

void TGlavni::startScheduledRun(const QTime &dueAt, bool late)
{
    if (late) {
        const QString at =
            dueAt.toString(dueAt.second() == 0 ? QStringLiteral("hh:mm") : QStringLiteral("hh:mm:ss"));
        m_tray->notify(QStringLiteral("Arkivoda ") + m_settings.GLOBAL_lista_caption,
                       MessageTable::fill(message(Msg::NotifyMissedRun), {at}),
                       TrayIcon::BalloonIcon::Information, 7000);
    }
    // Shown and raised; a minimised window stays minimised.
    show();
    raise();
    AutoZClick();
}

// --- About box ------------------------------------------------------------------------------------

void TGlavni::MM_OprogramuClick()
{
    // Owned by the application, not by this window; centred over it.
    OpenWindow(this, [this] {
        TAboutBox box(m_settings, m_services.download, m_services.urls, this);
        MakeModalTo(&box, this);
        AboutBox = &box;
        box.exec();
    });
}

void TGlavni::MM_VracanjeClick()
{
    // One restore window, not modal: a backup may run while it is open.
    if (!Vracanje) {
        auto *window = new TVracanjeDatoteka(m_settings.BackupLokacijaAuto, ui->LokacijaR->text(),
                                             m_services.launcher, this);
        window->setAttribute(Qt::WA_DeleteOnClose);
        Vracanje = window;
    }
    Vracanje->show();
    Vracanje->raise();
    Vracanje->activateWindow();
}

// --- Run control ----------------------------------------------------------------------------------

void TGlavni::BTN_PauseClick()
{
    m_controller.requestPause();
}

void TGlavni::BTN_CancelClick()
{
    if (m_remoteCopy) {
        // After the run only the copy to the remote target is left to stop; the archive is complete.
        m_remoteCopy->stop();
        ui->BTN_Cancel->setEnabled(false);
        setStatusText(message(Msg::StatusCopyStopping));
        return;
    }
    m_controller.requestStop();
    ui->BTN_Cancel->setEnabled(false);
    ui->BTN_Pause->setEnabled(false);
    // Same place and size as the stop button: it covers it.
    ui->BTN_Kill->show();
    ui->BTN_Kill->raise();
    ui->BTN_Kill->setEnabled(true);
}

void TGlavni::BTN_KillClick()
{
    const int answer = MyMessageDialog(this, message(Msg::CaptionWarning), message(Msg::QuestionForcedStop),
                                       TMsgDlgType::mtWarning, mbYes | mbNo,
                                       {message(Msg::ButtonYes), message(Msg::ButtonNo)});
    if (answer != mrYes)
        return;
    ui->BTN_Kill->setEnabled(false);
    m_controller.forceStop();
}

// --- What the run shows ---------------------------------------------------------------------------

void TGlavni::showStatus(const RunStatus &status)
{
    setStatusText(status.text());
}

void TGlavni::setFileProgress(int percent)
{
    m_bars->setFilePercent(percent);
}

void TGlavni::setTotalProgress(int percent)
{
    m_bars->setTotalPercent(percent);
    // The run's progress also where the window may not be seen: on the tray icon.
    m_services.tray.setToolTip(idleTitle() + QStringLiteral(" – ") + QString::number(percent) + u'%');
}

void TGlavni::setFileBarState(BarState state)
{
    m_bars->setFileState(state);
}

void TGlavni::setTotalBarState(BarState state)
{
    m_bars->setTotalState(state);
}

void TGlavni::setRunTitle(const QString &title)
{
    setWindowTitle(title);
}

void TGlavni::showPauseBox(const QString &text)
{
    QMessageBox box(QMessageBox::NoIcon, m_settings.GLOBAL_ApplicationTitle, text, QMessageBox::Ok, this);
    box.setObjectName(QStringLiteral("PauseBox"));
    // The text names this caption: the button must read as the text says, whatever Qt's own language.
    box.button(QMessageBox::Ok)->setText(message(Msg::ButtonOk));
    // Modal to this window only: the tray menu can still bring the paused run's window up.
    box.setWindowModality(Qt::WindowModal);
    // Shown first so that it has its size, then placed: its corner at the window's left + 190, top + 160.
    box.show();
    box.move(frameGeometry().topLeft() + QPoint(190, 160));
    box.exec();
}

void TGlavni::showArchiveError(const QString &text, const QString &cause)
{
    // A failed archive is an error: its box says so by title and icon alike, as every error box does.
    QMessageBox box(QMessageBox::Critical, message(Msg::CaptionError), text, QMessageBox::Ok, this);
    box.setObjectName(QStringLiteral("ArchiveErrorBox"));
    box.setWindowModality(Qt::WindowModal);
    box.button(QMessageBox::Ok)->setText(message(Msg::ButtonOk));
    // The system's reason alone when it was the system that refused (the archive is named above it);
    // the archive unit's reason otherwise. Both come worded in the interface's language.
    const QString &reason = m_controller.state().archiveFailureReason;
    const QString detail = reason.isEmpty() ? cause : reason;
    box.setInformativeText(m_controller.state().arhiva_file +
                           (detail.isEmpty() ? QString() : QStringLiteral("\n") + detail));
    box.show();
    if (const QScreen *screen = this->screen())
        box.move(screen->availableGeometry().center() -
                 QPoint(box.frameGeometry().width() / 2, box.frameGeometry().height() / 2));
    box.exec();
}

// --- Interface language ---------------------------------------------------------------------------

void TGlavni::MM_EngleskiClick()
{
    m_language->chooseEnglish();
}

void TGlavni::MM_HrvatskiClick()
{
    m_language->chooseCroatian();
}

// --- Window, tray and close rules -----------------------------------------------------------------

void TGlavni::showProgramTitle()
{
    const QString &title = m_settings.GLOBAL_ApplicationTitle;
    setWindowTitle(
        m_settings.GLOBAL_lista_caption.isEmpty()
            ? title
            : MessageTable::fill(message(Msg::TitleMainWithList), {title, m_settings.GLOBAL_lista_caption}));
    m_trayTitle = windowTitle();
    showBackupAge();
}

QString TGlavni::idleTitle() const
{
    if (m_settings.GLOBAL_lista_caption.isEmpty())
        return m_settings.GLOBAL_ApplicationTitle;
    return m_settings.GLOBAL_ApplicationTitle + QStringLiteral(" - ") + message(Msg::TitleCurrentList) +
           QLatin1Char(' ') + m_settings.GLOBAL_lista_caption;
}

void TGlavni::setStatusText(const QString &text)
{
    ui->LBL_Status->setText(QString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
}

void TGlavni::bringToFront()
{
    setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    if (isHidden())
        show();
    raise();
    activateWindow();
    m_services.alert.FlashWindow(this);
}

void TGlavni::comeForward()
{
    // During start-up the settings window of a first start stands alone: the main window is not
    // shown before start-up has ended.
    if (m_startedUp)
        bringToFront();
    if (QWidget *modal = QApplication::activeModalWidget()) {
        modal->raise();
        modal->activateWindow();
        m_services.alert.FlashWindow(modal);
    }
}

void TGlavni::hideToTray()
{
    // Without a notification area nothing could bring a hidden window back: it stays minimised.
    if (m_services.tray.isAvailable())
        hide();
    else
        setWindowState(windowState() | Qt::WindowMinimized);
}

void TGlavni::TPP_RestoreClick()
{
    // The minimised state goes before the window is shown: a window started minimised to the tray
    // would otherwise be mapped minimised, and the window manager's late word that it is minimised
    // would hide it to the tray again.
    setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    show();
    raise();
    activateWindow();
    // A dialog open over the window keeps the keyboard: the window it blocks must not take it.
    if (QWidget *modal = QApplication::activeModalWidget()) {
        modal->raise();
        modal->activateWindow();
    }
}

void TGlavni::TPP_CloseClick()
{
    m_closeFromTray = true;
    close();
}

void TGlavni::AppEventsMinimize()
{
    if (!m_settings.GLOBAL_StartToTray)
        return;
    // During a run the window stays on the taskbar, where the run shows its progress.
    if (!m_controller.inProgress())
        hideToTray();
}

void TGlavni::changeEvent(QEvent *event)
{
    QMainWindow::changeEvent(event);
    // A module without this window's description leaves its texts as they are. Texts set at run time
    // are not in the description and stay.
    if (event->type() == QEvent::LanguageChange && HasWindowDescription(staticMetaObject.className())) {
        ui->retranslateUi(this);
        FitMainWindowLabels(*ui);
        nameLinks();
    }
    if (event->type() == QEvent::WindowStateChange && isMinimized() && isVisible()) {
        // Hidden after the state change has been handled, not from inside it.
        QMetaObject::invokeMethod(
            this,
            [this] {
                if (isMinimized() && isVisible())
                    AppEventsMinimize();
            },
            Qt::QueuedConnection);
    }
}

void TGlavni::closeEvent(QCloseEvent *event)
{
    if (m_settings.GLOBAL_CloseToMinimize && !m_closeFromTray) {
        event->ignore();
        if (m_settings.GLOBAL_StartToTray)
            hideToTray();
        setWindowState(windowState() | Qt::WindowMinimized);
        m_closeFromTray = false;
        return;
    }
    event->accept();
    m_services.tray.hide();
    emit closed();
}

void TGlavni::FormKeyDown()
{
    if (m_controller.inProgress())
        return;
    close();
}

bool TGlavni::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress && (watched == ui->LokacijaA || watched == ui->LokacijaR)) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space) {
            watched == ui->LokacijaA ? LokacijaAClick() : LokacijaRClick();
            return true;
        }
    }
    if (event->type() == QEvent::MouseButtonRelease) {
        if (watched == ui->LokacijaA) {
            LokacijaAClick();
            return true;
        }
        if (watched == ui->LokacijaR) {
            LokacijaRClick();
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void TGlavni::LokacijaAClick()
{
    showLastArchive(ui->LokacijaA, Msg::ErrorLastAutoArchiveMissing);
}

void TGlavni::LokacijaRClick()
{
    showLastArchive(ui->LokacijaR, Msg::ErrorLastManualArchiveMissing);
}

void TGlavni::showLastArchive(QLabel *label, quint16 number)
{
    const QString path = label->text();
    if (FileExists(path)) {
        // Neither a file manager nor a program for folders: said, rather than nothing happening.
        if (!SelectFileInExplorer(m_services.fileManager, path))
            MyMessageDialog(this, message(Msg::CaptionError),
                            MessageTable::fill(message(Msg::ErrorFolderNotShown),
                                               {QDir::toNativeSeparators(QFileInfo(path).absolutePath())}),
                            TMsgDlgType::mtError, mbOK, {message(Msg::ButtonOk)});
        return;
    }
    MyMessageDialog(this, message(Msg::CaptionError), message(number), TMsgDlgType::mtError, mbOK,
                    {message(Msg::ButtonOk)});
}
