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
    RestoreNameTaken = 65078,
    RestoreLeftoversHeader = 65079,
    ErrorConfigurationBusy = 65080,
    StatusVerifying = 65110,
    VerifiedSound = 65111,
    VerifiedFault = 65112,
    VerifyInterrupted = 65113,
    LeftoverPartsHeader = 65114,
    StatusLeftoverParts = 65115,
    PrunedHeader = 65116,
    PruneFailed = 65117,
    LeftOutCount = 65118,
    PruningHeld = 65119,
    PruningHeldMissing = 65120,
    FutureDatedHeader = 65121,
    HeadlineMissing = 65122,
    BalloonRunStopped = 65123,
    BalloonRunMissing = 65124,
    NoteStartRecordUnusable = 65159,
    NotifyMissedRun = 65160,
    BackupAgeLine = 65161,
    BackupAgeToday = 65162,
    BackupAgeYesterday = 65163,
    BackupAgeDays = 65164,
    BackupAgeDaysSingular = 65165,
    BackupAgeNone = 65166,
    NotifyBackupOverdue = 65167,
    ErrorShutdownRefused = 65100,
    ErrorLogoffRefused = 65101,
    ErrorNoSessionManager = 65102,
    InhibitReason = 65103,
    ErrorFileNotWritten = 65140,
    ErrorFileNotRead = 65141,
    ErrorFolderNotShown = 65142,
    ActionOpenFolder = 65143,
    ErrorDataFolderNotCreated = 65144,
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
    CopyRemoteFuture = 65196,
    CopyReasonTargetForm = 65197,
    CopyReasonUnknownRemote = 65198,
    ErrorCopyTarget = 65199,
    MissingUnreadable = 65260,
    ReasonAccessDenied = 65261,
    ReasonNotFound = 65262,
    ReasonExists = 65263,
    ReasonReadOnly = 65264,
    ReasonInputOutput = 65265,
    ReasonLinkLoop = 65266,
    ReasonNameTooLong = 65267,
    ReasonTooManyOpen = 65268,
    ReasonOutOfMemory = 65269,
    ReasonChanged = 65270,
    ReasonSystemError = 65271,
    CountFiles = 65390,
    CountFolders = 65391,
    StatusRestoreFailed = 65360,
    StatusArchiveGone = 65361,
    CountBytes = 65362,
};
}

// The message table: every message, status text and caption the program shows, looked up by number
// at the moment it is shown, from the language module in use or else from the built-in Croatian texts.
class MessageTable
{
  public:
    // The text of a message in the current language; empty for a number the table does not hold.
    static QString text(quint16 number);
    // The text of a counted message (its words follow a count: "1 datoteka", "2 datoteke", "5 datoteka")
    // in the form the current language gives count; the count still fills its "%s" as any value does.
    static QString text(quint16 number, qint64 count);
    // The built-in Croatian text of a message; empty for a number the table does not hold. For a counted
    // message, the form for 0 and for 5 and up.
    static QString croatianText(quint16 number);
    // The built-in Croatian form of a counted message for count (any other message's text).
    static QString croatianText(quint16 number, qint64 count);
    // Croatian counts take three forms: 1, 21, 31... (not 11); 2-4, 22-24... (not 12-14); the rest.
    enum class CountForm { One, Few, Many };
    static CountForm croatianCountForm(qint64 count);
    // Whether the number is one of the program's own messages.
    static bool contains(quint16 number);
    // Fills the "%s" placeholders of a message text with the values, in order.
    static QString fill(const QString &pattern, const QStringList &values);
    // Makes later look-ups read the given language module (context "Poruke", key = the number);
    // nullptr returns to the built-in Croatian texts. The module must outlive its use here.
    static void setLanguageModule(const QTranslator *module);
};
