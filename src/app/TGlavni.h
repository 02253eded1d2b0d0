#pragma once

#include "app/EndOfRunAction.h"
#include "app/EndOfRunStep.h"
#include "app/MainTray.h"
#include "config/ProgramSettings.h"
#include "platform/DesktopServices.h"
#include "platform/LauncherProgress.h"
#include "platform/TrayIcon.h"
#include "run/BackupAttempt.h"
#include "run/DailyRunTimer.h"
#include "run/RunController.h"
#include "run/RunView.h"

#include <QDateTime>
#include <QMainWindow>
#include <QMenu>
#include <QPointer>
#include <QTimer>

#include <functional>
#include <memory>

namespace Ui {
class TGlavni;
}
class EndOfRunBoxes;
class LanguageMenu;
class QLabel;
class RemoteCopy;
class RunBars;

// The main window: the two run buttons, the archive folder, the status line, the progress area of a
// run with its controls and end-of-run boxes, the last archives, the main menu and the tray icon. A
// run started here is the one every front end runs (RunController); the window is its view.
class TGlavni : public QMainWindow, private RunView
{
    Q_OBJECT

  public:
    // Creates the window and runs the start-up sequence: the settings of the configuration that the
    // program's arguments select (the program itself first, as QCoreApplication::arguments gives
    // them), the settings window before anything else when the list file is missing, the title, the
    // labels and the daily timer.
    TGlavni(const QStringList &arguments, DesktopServices services, QWidget *parent = nullptr);
    ~TGlavni() override;

    // Shows the window as the program starts: centred, minimised or only in the tray as set. A missed
    // daily run is made up for once the event loop runs.
    void showAtStart();
    // Whether the program has been told to end: on a first start, the settings window was left
    // without a saved list. The main window is then never shown.
    bool Terminated() const { return m_terminated; }

    const ProgramSettings &settings() const { return m_settings; }
    RunController &runController() { return m_controller; }
    const RunState &runState() const { return m_controller.state(); }
    // The daily schedule's timer.
    const QTimer &autoTimer() const { return m_dailyRun.timer(); }
    // The local clock the daily schedule reads; a test sets its own. The schedule's next tick then
    // covers only its own second.
    void setClock(std::function<QDateTime()> clock);
    QMenu &trayPopup() { return m_tray->popup(); }
    // The window that a run shows the missing sources in, while it exists.
    QWidget *missingFilesWindow() const { return Form_FilesMissing; }

    // Shows how long ago the last good backup was made, in the window and the tray's hint. With the daily
    // run on and no good backup for two days, the tray icon warns and, once a day, a notification says so.
    void showBackupAge();
    // Whether the tray icon warns that backups are overdue.
    bool backupOverdue() const { return m_tray->warning(); }
    // The last tray balloon shown, or the defaults.
    const MainTray::Balloon &balloon() const { return m_tray->balloon(); }

    // The run buttons: each returns when the attempt is over.
    void AutoZClick();
    void RucnaZClick();
    // Restores the window from the tray or the taskbar.
    void TPP_RestoreClick();
    // A later start on this configuration asked for the program: the window comes to the front from
    // the tray or the taskbar, with any modal window that is open over it on top.
    void comeForward();
    // Exits from the tray: a close request that is never turned into minimising.
    void TPP_CloseClick();
    void LokacijaAClick();
    void LokacijaRClick();
    // Opens the settings window; returns when it has closed.
    void MM_ListaClick();
    void BTN_PauseClick();
    void BTN_CancelClick();
    void BTN_KillClick();
    // One tick of the daily schedule: the countdown, the warning a minute before, the run once the set
    // time has passed since the previous tick.
    void AutoTimerTimer();
    // The catch-up of a daily run missed while the program was not running or the computer slept: with
    // the schedule and its catch-up on, the automatic run starts when the set time has passed since the
    // last recorded automatic start. Checked once the window is up at start, and on every wake-up.
    void checkMissedRun();
    // The end-of-run step: closes the program, shuts down or logs off after a countdown when one of
    // the end-of-run boxes is ticked.
    void AutomatskoGasenje();
    // The countdown box while it is open.
    QWidget *gasenjeBox() const { return m_endOfRunStep->countdownBox(); }
    // Whether the next close request ends the program rather than minimising it.
    bool closeFromTray() const { return m_closeFromTray; }
    // The About box, shown modally.
    void MM_OprogramuClick();
    QWidget *aboutBox() const { return AboutBox; }
    // The restore window, made on first use and shown in front.
    void MM_VracanjeClick();
    QWidget *restoreWindow() const { return Vracanje; }
    // The language menu: each loads its language's module and applies it to every open window.
    void MM_EngleskiClick();
    void MM_HrvatskiClick();

  signals:
    // The window has closed: the program ends.
    void closed();

  protected:
    void closeEvent(QCloseEvent *event) override;
    void changeEvent(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

  private:
    using RunKind = BackupAttempt::Kind;

    // The start-up sequence, run once from the constructor.
    void startUp(const QStringList &arguments);
    // Creates the settings window over this one, wired to the program, and shows it modally.
    void showSettingsWindow();
    // Ends the program at once, whatever the close rules say: the event loop is told to quit.
    void Terminate();
    void connectControls();
    // The tab order, and the captions that name the bars and links for a screen reader.
    void setUpKeyboard();
    void nameLinks();

    // One run attempt, from the in-progress test to the end of attempt.
    void runAttempt(RunKind kind);
    // The attempt's checks and the archive name; an empty result refuses the attempt.
    // The checked preparation of a run; its archive is empty when no run takes place.
    BackupAttempt::Preparation prepareArchiveName(RunKind kind);
    // The folder the save dialog of a manual run opens in.
    QString manualArchiveFolder() const;
    void refuse(const QString &text, const QString &balloonText);
    // Words a refusal of the run: an error box, and a tray message for the checks an unattended
    // automatic run meets.
    void refuse(const BackupAttempt::Preparation &preparation, RunKind kind);
    // The window's controls for a run in progress, or for the idle window.
    void runLayout(bool running);
    void closeOtherWindows();
    void runEnd(RunKind kind);
    // Sends the run's complete archive to the remote target, with its progress in the status line, the
    // total bar and the launcher; the stop button ends it. mayPrune: older automatic copies there may go
    // by the number kept. Returns the result in words.
    QString sendRemoteCopy(const QString &archive, bool mayPrune, bool *confirmed);
    void showMissingFiles(RunKind kind);
    // The status of a stopped run: the stop's text, and the bars full.
    void showStoppedStatus();
    void endOfAttempt(bool autoTimerWasActive);
    // Says that the platform refused to shut down or log off, with the reason it gave.
    void reportSessionEndRefused(EndOfRunAction action, const QString &reason);
    // Brings what the settings decide into effect after they were loaded or changed: the daily timer.
    void applySettingsChanges();
    // Starts or stops the daily schedule's timer.
    void setDailyTimer(bool running);
    // Shows what the daily schedule tells, and starts the run it says is due.
    void connectDailyRun();
    // The last good backup on record; for a record from before that was kept, the newer of the last
    // archives' times.
    QDateTime lastGoodBackup() const;
    // Shows the window and starts the automatic run of the daily schedule; a run that starts late
    // says so, with the time it was due.
    void startScheduledRun(const QTime &dueAt, bool late);

    void AppEventsMinimize();
    void showLastArchive(QLabel *label, quint16 message);
    // Alt+F4 is a close request, swallowed while a run is in progress.
    void FormKeyDown();

    // Brings the window to the front in its normal state and draws the user's attention to it.
    void bringToFront();
    // Hides the window to the tray; without a notification area it is minimised instead.
    void hideToTray();
    // The title of the program's start, with the configuration's name when one was given, in the
    // language in use; the tray's hint follows it.
    void showProgramTitle();
    QString idleTitle() const;
    void setStatusText(const QString &text);

    // RunView: what the run shows in this window.
    void showStatus(const RunStatus &status) override;
    void setFileProgress(int percent) override;
    void setTotalProgress(int percent) override;
    void setFileBarState(BarState state) override;
    void setTotalBarState(BarState state) override;
    void setRunTitle(const QString &title) override;
    void showPauseBox(const QString &text) override;
    void showArchiveError(const QString &text, const QString &cause) override;

    std::unique_ptr<Ui::TGlavni> ui;
    DesktopServices m_services;
    std::unique_ptr<RunBars> m_bars;
    EndOfRunBoxes *m_endOfRun = nullptr;
    EndOfRunStep *m_endOfRunStep = nullptr;
    LanguageMenu *m_language = nullptr;
    ProgramSettings m_settings;
    RunController m_controller;
    DailyRunTimer m_dailyRun;
    MainTray *m_tray = nullptr;
    // The copy to the remote target while it is being sent, for the stop button.
    RemoteCopy *m_remoteCopy = nullptr;
    QString m_trayTitle; // the program's title in the tray's hint
    bool m_terminated = false;
    bool m_startedUp = false;
    QPointer<QWidget> AboutBox;
    // The next close request ends the program, never minimises it: the tray's exit, the end-of-run
    // close.
    bool m_closeFromTray = false;
    QPointer<QWidget> Form_FilesMissing;
    QPointer<QWidget> OdabirBaze;
    QPointer<QWidget> Vracanje;
    // The archive that the last notification with an action offered to show.
    QString m_notifiedArchive;
};
