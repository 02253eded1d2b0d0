#include "app/TGlavni.h"

#include "about/TAboutBox.h"
#include "app/EndOfRunBoxes.h"
#include "app/LanguageMenu.h"
#include "app/MainTray.h"
#include "app/MainWindowLook.h"
#include "app/RunBars.h"
#include "app/TForm_FilesMissing.h"
#include "app/TGasenjeBox.h"
#include "app/TOdabirBaze.h"
#include "app/TVracanjeDatoteka.h"
#include "app/WinExit.h"
#include "config/ConfigPaths.h"
#include "config/MessageTable.h"
#include "config/ResourceModules.h"
#include "platform/FileManager.h"
#include "platform/WindowAlert.h"
#include "run/ArchiveName.h"
#include "run/DailySchedule.h"
#include "run/FileSystem.h"
#include "run/RemoteCopy.h"
#include "run/RunSummary.h"
#include "run/WipeFile.h"
#include "ui/ApplicationError.h"
#include "ui/MyMessageDialog.h"
#include "ui/SaveFileDialog.h"
#include "ui/WindowHelpers.h"
#include "ui_TGlavni.h"

#include <QCloseEvent>
#include <QFileInfo>
#include <QMessageBox>
#include <QScreen>
#include <QShortcut>

namespace {

QString message(quint16 number)
{
    return MessageTable::text(number);
}

} // namespace

TGlavni::TGlavni(const QStringList &arguments, DesktopServices services, QWidget *parent)
    : QMainWindow(parent), ui(std::make_unique<Ui::TGlavni>()), m_services(services), m_controller(*this)
{
    Q_INIT_RESOURCE(arkivoda);
    ui->setupUi(this);
    ApplyMainWindowLook(*ui, *this);
    m_bars = std::make_unique<RunBars>(ui->PB, ui->PBU, m_services.launcher);
    m_endOfRun = new EndOfRunBoxes(ui->CB_Close, ui->CB_Shutdown, ui->CB_Logoff, this);
    m_language = new LanguageMenu(ui->MM_Hrvatski, ui->MM_Engleski, m_settings, this);

    AutoTimer.setInterval(1000);
    m_tray = new MainTray(m_services.tray, {ui->TPP_Restore, ui->TPP_Vracanje}, ui->TPP_Close, this);
    connect(m_tray, &MainTray::restoreRequested, this, &TGlavni::TPP_RestoreClick);
    connectControls();
    startUp(arguments);
}

TGlavni::~TGlavni()
{
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
    connect(&AutoTimer, &QTimer::timeout, this, &TGlavni::AutoTimerTimer);
    connect(m_language, &LanguageMenu::switched, this, [this] {
        // The texts that code placed, now in the new language.
        showProgramTitle();
        setStatusText(message(Msg::StatusIdle));
        applySettingsChanges();
    });
    ui->LokacijaA->installEventFilter(this);
    ui->LokacijaR->installEventFilter(this);
    auto *altF4 = new QShortcut(QKeySequence(Qt::ALT | Qt::Key_F4), this);
    connect(altF4, &QShortcut::activated, this, &TGlavni::FormKeyDown);
}

void TGlavni::startUp(const QStringList &arguments)
{
    m_settings.GLOBAL_ApplicationTitle = QCoreApplication::applicationName();
    m_closeFromTray = false;
    const ListSelection selection = ListSelection::fromApplicationArguments(arguments);
    m_settings.GLOBAL_lista = selection.GLOBAL_lista;
    m_settings.GLOBAL_lista_caption = selection.GLOBAL_lista_caption;
    m_settings.userfolder = PrepareUserFolder();
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
    // Decided last: re-applying the window texts switches the timer off, and a save in the settings
    // window sets it.
    applySettingsChanges();
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
    AutoTimer.stop();
    m_services.tray.hide();
    hide();
    emit closed();
}

void TGlavni::showAtStart()
{
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
    const bool autoTimerWasActive = AutoTimer.isActive();
    AutoTimer.stop();
    try {
        if (m_settings.GLOBAL_StartToTray)
            show();
        const QString archive = prepareArchiveName(kind);
        if (!archive.isEmpty()) {
            runLayout(true);
            m_bars->reset();
            closeOtherWindows();
            RunRequest request = RunRequest::fromSettings(m_settings, archive);
            // A manual run reaches this point only into a free name or with the user's consent to replace.
            request.replaceExisting = kind == RunKind::Manual;
            m_controller.run(request);
            runEnd(kind);
        }
    } catch (const std::exception &failure) {
        // The attempt ends first; then the error is shown, and the program goes on.
        endOfAttempt(autoTimerWasActive);
        ShowApplicationError(this, QString::fromUtf8(failure.what()));
        return;
    }
    endOfAttempt(autoTimerWasActive);
}

QString TGlavni::prepareArchiveName(RunKind kind)
{
    const bool automatic = kind == RunKind::Automatic;
    QString chosen;
    if (!automatic) {
        // The list comes first, as for the automatic run: no save dialog for a run that cannot start.
        if (const BackupAttempt::Refusal list = BackupAttempt::checkList(m_settings);
            list != BackupAttempt::Refusal::None) {
            refuse({list, QString()}, kind);
            return QString();
        }
        const SaveFileRequest request{tr("Navedite naziv arhivske datoteke..."), tr("ZIP arhiva (*.zip)"),
                                      QStringLiteral("zip"),
                                      ArchiveName::fileName(m_settings.BckName, ArchiveName::stampNow())};
        const std::optional<QString> answer = SaveFileDialog::getSaveFileName(this, request);
        if (!answer)
            return QString();
        chosen = *answer;
        if (QFileInfo(chosen).isFile()) {
            const int replace = MyMessageDialog(
                this, message(Msg::CaptionDecision),
                MessageTable::fill(message(Msg::QuestionOverwrite), {QFileInfo(chosen).fileName()}),
                TMsgDlgType::mtConfirmation, mbYes | mbNo, {message(Msg::ButtonYes), message(Msg::ButtonNo)});
            if (replace == mrNo)
                return QString();
        }
    }
    const BackupAttempt::Preparation preparation = BackupAttempt::prepare(kind, m_settings, chosen, true);
    if (preparation.refusal != BackupAttempt::Refusal::None) {
        refuse(preparation, kind);
        return QString();
    }
    return preparation.archive;
}

void TGlavni::refuse(const BackupAttempt::Preparation &preparation, RunKind kind)
{
    using Refusal = BackupAttempt::Refusal;
    const QString text = BackupAttempt::text(preparation.refusal, m_settings, preparation.archive);
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
    setStatusText(message(Msg::StatusFinalising));
    ui->LBL_Status->repaint();

    const BackupAttempt::Record record = BackupAttempt::record(m_settings, kind, state);
    const QString failure = BackupAttempt::failureText(record.outcome, state);
    if (!record.failure.isEmpty()) {
        // The archive is there but could not be recorded: the attempt ends with the error dialog.
        throw std::runtime_error(record.failure.toStdString());
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
        setStatusText(failure);
        break;
    }
    if (!failure.isEmpty()) {
        // No valid archive: the window says what went wrong, never that the run is done.
        m_tray->showBalloon(QStringLiteral("Arkivoda ") + m_settings.GLOBAL_lista_caption, failure,
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
        copyText = sendRemoteCopy(state.arhiva_file, &copyConfirmed);
        setStatusText(copyConfirmed ? message(Msg::StatusRunComplete) : copyText);
    }
    const QString copyLine = copyText.isEmpty() ? QString() : QStringLiteral("\r\n") + copyText;
    const RunSummary summary(state, GetFileSize(state.arhiva_file));

    m_tray->showBalloon(
        QStringLiteral("Arkivoda ") + m_settings.GLOBAL_lista_caption,
        message(Msg::BalloonRunFinished) + QStringLiteral(" \r\n") + state.arhiva_file + copyLine,
        copyConfirmed ? TrayIcon::BalloonIcon::Information : TrayIcon::BalloonIcon::Warning, 5000);

    if (m_settings.GLOBAL_Report && m_endOfRun->chosen() == EndOfRunAction::None) {
        bringToFront();
        ui->BTN_Kill->setEnabled(false);
        ui->BTN_Kill->hide();
        MyMessageDialog(this, message(Msg::CaptionInfo), summary.text() + copyLine,
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

QString TGlavni::sendRemoteCopy(const QString &archive, bool *confirmed)
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
    const RemoteCopy::Result result = copy.send(archive, m_settings.BckName);
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
    setDailyTimer(autoTimerWasActive);
    AutomatskoGasenje();
}

void TGlavni::AutomatskoGasenje()
{
    const EndOfRunAction action = m_endOfRun->chosen();
    if (action == EndOfRunAction::None)
        return;
    const bool closing = action == EndOfRunAction::Close;
    // Nobody watches a minimised (or hidden) window: closing it needs no countdown.
    if (closing && (isMinimized() || isHidden())) {
        carryOut(action);
        return;
    }
    bool cancelled = true;
    const bool counted = OpenWindow(this, [this, action, closing, &cancelled] {
        TGasenjeBox box(action, closing ? 5000 : 20000, this);
        GasenjeBox = &box;
        box.exec();
        cancelled = box.Cancelled();
    });
    // Without the countdown the user could not cancel it, so nothing follows.
    if (counted && !cancelled)
        carryOut(action);
}

void TGlavni::carryOut(EndOfRunAction action)
{
    switch (action) {
    case EndOfRunAction::None:
        return;
    case EndOfRunAction::Close:
        m_closeFromTray = true;
        close();
        return;
    case EndOfRunAction::Shutdown:
    case EndOfRunAction::LogOff: {
        // A refused request leaves the program open and idle; nothing is reported.
        [[maybe_unused]] const bool accepted =
            WinExit(m_services.session, action == EndOfRunAction::Shutdown ? EWX_SHUTDOWN : EWX_LOGOFF);
        return;
    }
    }
}

// --- Daily schedule -------------------------------------------------------------------------------

void TGlavni::applySettingsChanges()
{
    setDailyTimer(m_settings.GLOBAL_TimerEnabled);
}

void TGlavni::setDailyTimer(bool running)
{
    if (running)
        AutoTimer.start();
    else
        AutoTimer.stop();
}

void TGlavni::AutoTimerTimer()
{
    if (!m_settings.GLOBAL_TimerEnabled || m_controller.inProgress())
        return;
    const DailySchedule::Tick tick = DailySchedule::at(m_clock().time(), m_settings.GLOBAL_TimerTime);
    setStatusText(MessageTable::fill(message(Msg::StatusNextAutoRun), {tick.timeLeft}));
    if (tick.warn)
        m_tray->showBalloon(QStringLiteral("Arkivoda ") + m_settings.GLOBAL_lista_caption,
                            message(Msg::BalloonAutoRunSoon), TrayIcon::BalloonIcon::Warning, 7000);
    if (tick.start) {
        // Shown and raised; a minimised window stays minimised.
        show();
        raise();
        AutoZClick();
    }
}

// --- About box ------------------------------------------------------------------------------------

void TGlavni::MM_OprogramuClick()
{
    // Owned by the application, not by this window; centred over it.
    OpenWindow(this, [this] {
        TAboutBox box(m_settings, m_services.download, m_services.urls, this);
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
    m_controller.BTN_PauseClick();
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
    m_controller.BTN_CancelClick();
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
    // Shown first so that it has its size, then placed: its corner at the window's left + 190, top + 160.
    box.show();
    box.move(frameGeometry().topLeft() + QPoint(190, 160));
    box.exec();
}

void TGlavni::showArchiveError(const QString &text, const QString &cause)
{
    QMessageBox box(QMessageBox::NoIcon, m_settings.GLOBAL_ApplicationTitle, text, QMessageBox::Ok, this);
    box.setObjectName(QStringLiteral("ArchiveErrorBox"));
    box.setInformativeText(m_controller.state().arhiva_file +
                           (cause.isEmpty() ? QString() : QStringLiteral("\n") + cause));
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
    m_services.tray.setToolTip(windowTitle());
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
    if (isHidden())
        show();
    setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    raise();
    activateWindow();
    m_services.alert.FlashWindow(this);
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
    show();
    raise();
    setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    activateWindow();
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
        SelectFileInExplorer(m_services.fileManager, path);
        return;
    }
    MyMessageDialog(this, message(Msg::CaptionError), message(number), TMsgDlgType::mtError, mbOK,
                    {message(Msg::ButtonOk)});
}
