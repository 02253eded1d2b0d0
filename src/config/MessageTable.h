#pragma once

#include <QString>
#include <QStringList>

class QTranslator;

// Numbers of the program's messages, named after their use.
namespace Msg {
enum Number : quint16 {
    HeadlinePartial = 64976,
    HeadlineComplete = 64977,
    ReportArchiveLine = 64978,
    TitleCurrentList = 64979,
    StatusCollecting = 64992,
    StatusStopping = 64993,
    StatusArchivingFile = 64994,
    StatusArchiveError = 64995,
    StatusNextAutoRun = 64996,
    BalloonAutoRunSoon = 64997,
    ErrorListMissing = 64998,
    ErrorArchiveFolderMissing = 64999,
    RunSummary = 65000,
    WarningSourcesMissing = 65001,
    QuestionOverwrite = 65002,
    BalloonListMissing = 65003,
    BalloonRunFinished = 65004,
    StatusFinalising = 65005,
    StatusRunStopped = 65006,
    StatusRunComplete = 65007,
    CaptionInfo = 65008,
    CaptionDecision = 65009,
    ButtonYes = 65010,
    ButtonNo = 65011,
    ButtonOk = 65012,
    ButtonCancel = 65013,
    ButtonDelete = 65014,
    StatusIdle = 65015,
    TitleMainWithList = 65016,
    ErrorLastAutoArchiveMissing = 65017,
    ErrorLastManualArchiveMissing = 65018,
    StatusStopRequested = 65019,
    PauseBoxText = 65020,
    ElapsedTimeLabel = 65021,
    QuestionForcedStop = 65022,
    StatusForcedStop = 65023,
    TitleSettingsWithList = 65024,
    ErrorEntryMissing = 65025,
    DialogArchiveFolderTitle = 65026,
    DialogArchiveFolderButton = 65027,
    ErrorListFileMissing = 65028,
    QuestionRemoveEntry = 65029,
    DialogAddFoldersMultiTitle = 65030,
    DialogAddFoldersButton = 65031,
    DialogAddFoldersTitle = 65032,
    TitleMissingFiles = 65033,
    CountdownText = 65034,
    CountdownClose = 65035,
    CountdownLogoff = 65036,
    CountdownShutdown = 65037,
    CaptionWarning = 65038,
    CaptionError = 65039,
    ErrorUpdateCheck = 65047,
    QuestionNewerVersion = 65048,
    InfoUpToDate = 65049,
    TitleAbout = 65050,
    StatusSettingsIdle = 65051,
    ErrorEmptyList = 65052,
    ErrorSettingsFolderMissing = 65053,
    ErrorEmptyPrefix = 65054,
    TitleSettings = 65055,
    ErrorBadPrefix = 65056,
    MissingNameTooLong = 65057,
    RestoreKeepBothSuffix = 65058,
    QuestionRestoreExisting = 65059,
    ButtonReplace = 65060,
    ButtonSkip = 65061,
    ButtonKeepBoth = 65062,
    ButtonReplaceAll = 65063,
    ButtonSkipAll = 65064,
    ButtonKeepBothAll = 65065,
    RestoreSummary = 65066,
    RestoreFailedHeader = 65067,
    StatusRestoringFile = 65068,
    StatusRestoreStopped = 65069,
    StatusRestoreComplete = 65070,
    DialogRestoreFolderTitle = 65071,
    DialogOpenArchiveTitle = 65072,
    FilterZipArchive = 65073,
    ErrorArchiveUnreadable = 65074,
    ErrorNothingSelected = 65075,
    StatusArchiveOpened = 65076,
    StatusRestoreStopping = 65077,
    ErrorConfigurationBusy = 65080,
    StatusSendingCopy = 65180,
    CopyConfirmed = 65181,
    CopyFailed = 65182,
    CopyReasonStopped = 65183,
    CopyReasonNoRclone = 65184,
    CopyReasonMismatch = 65185,
    CopyReasonTimeout = 65186,
    CopyReasonExitCode = 65187,
    CopyRemoteDeleted = 65188,
    CopyRemoteDeleteFailed = 65189,
    CheckConnectionFound = 65190,
    CheckConnectionFolderMissing = 65191,
    CheckConnectionFailed = 65192,
    SettingsRcloneMissing = 65193,
    CheckConnectionRunning = 65194,
    StatusCopyStopping = 65195,
};
}

// The message table: every message, status text and caption the program shows, looked up by number
// at the moment it is shown, from the language module in use or else from the built-in Croatian texts.
class MessageTable
{
  public:
    // The text of a message in the current language; empty for a number the table does not hold.
    static QString text(quint16 number);
    // The built-in Croatian text of a message; empty for a number the table does not hold.
    static QString croatianText(quint16 number);
    // Whether the number is one of the program's own messages.
    static bool contains(quint16 number);
    // Fills the "%s" placeholders of a message text with the values, in order.
    static QString fill(const QString &pattern, const QStringList &values);
    // Makes later look-ups read the given language module (context "Poruke", key = the number);
    // nullptr returns to the built-in Croatian texts. The module must outlive its use here.
    static void setLanguageModule(const QTranslator *module);
};
