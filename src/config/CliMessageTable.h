#pragma once

#include <QString>
#include <QStringList>

// The command line's own texts (help, refusals, progress lines, outcomes), keyed in context
// "PorukeCli" of the language modules. Like the program's message table: looked up when shown, from the
// language module in use, else from the built-in Croatian texts.
namespace CliMsg {
enum Key {
    Help,
    DesktopHelp, // the desktop program's --help
    SeeHelp,
    UnknownOption,
    ManualWithoutFile,
    SurplusArgument,
    OverwriteWithoutManual,
    ListUnreadable,
    TargetIsFolder,
    TargetNotFile,
    UseOverwrite,
    FailedNotWritable,
    KilledIncomplete,
    KilledBeforeArchive,
    FailedNotCreated,
    ProgressTotal,
    ProgressFile,
    PartLeft,
    VerifyWithoutFile,
    VerifySound,
    VerifyFault,
    VerifyUnchecked,
    MissingValue,
    RestoreWithoutTo,
    RestoreOnlyOption,
    ConflictingOptions,
    ArchiveUnreadable,
    NoEntryMatches,
    FilesExist,
    UseReplaceOrSkip,
    RestoreProgress,
    RestoreFailed,
    RestoreSkipped,
    RestoreStopped,
    RestoreLeftovers,
    RestoreSummary,
    CopyNoTarget,
    CopyNotFile,
    CopyNotSound,
    TargetFolderNotWritable,
    TargetNotReplaceable,
    PartExists,
    PartLeftComplete,
};
}

class CliMessageTable
{
  public:
    // The text in the current language; empty when the module in use lacks it.
    static QString text(CliMsg::Key key);
    // The built-in Croatian text.
    static QString croatianText(CliMsg::Key key);
    // A counted text (its words follow a count) in the form for count, in the current language; for the
    // built-in Croatian texts, the form MessageTable::croatianCountForm gives.
    static QString text(CliMsg::Key key, qint64 count);
    static QString croatianText(CliMsg::Key key, qint64 count);
    // The key under which language modules carry the text.
    static const char *moduleKey(CliMsg::Key key);
    // Every key of the table.
    static QList<CliMsg::Key> keys();
};
