#pragma once

#include <QString>
#include <QStringList>

#include <optional>

class QCommandLineOption;
class QCommandLineParser;

// What the command line asks for.
struct CliOptions
{
    // Why a command line cannot be used.
    enum class Problem {
        None,
        UnknownOption,
        ManualWithoutFile,
        SurplusArgument,
        OverwriteWithoutManual,
        VerifyWithoutFile,
        MissingValue,       // --list, --restore or --to without its value
        RestoreWithoutTo,   // --restore without --to FOLDER
        RestoreOnlyOption,  // --to, --replace or --skip without --restore
        ConflictingOptions, // two of --manual, --verify, --list, --restore; or --replace with --skip
    };

    bool help = false;
    bool version = false;
    bool manual = false; // --manual FILE: the manual run into FILE
    QString manualFile;
    bool overwrite = false; // --overwrite: an existing FILE may be replaced
    bool verify = false;    // --verify FILE: the check of the archive FILE, instead of a run
    QString verifyFile;
    bool copy = false; // --copy FILE: send the archive FILE to the configuration's remote target
    QString copyFile;
    std::optional<QString> lista; // the named configuration, when given
    QString listArchive;          // --list ARCHIVE: list the archive's entries
    QString restoreArchive;       // --restore ARCHIVE: restore entries of the archive
    QString restoreFolder;        // --to FOLDER: where they are restored
    QStringList patterns;         // the entries to list or restore (all when empty)
    bool replace = false;         // --replace: restored files replace existing ones
    bool skip = false;            // --skip: existing files are kept
    Problem problem = Problem::None;
    QString problemArgument; // the option or argument the problem is about

    bool listing() const { return !listArchive.isEmpty(); }
    bool restoring() const { return !restoreArchive.isEmpty(); }

    // Parses the program's arguments, its own name first (as QCoreApplication::arguments gives them).
    static CliOptions parse(const QStringList &arguments);
    // The refusal of an unusable command line, in the current language; empty when it is usable.
    QString errorText() const;
    // The help text, in the current language.
    static QString helpText();

  private:
    // The rest of a command line that lists or restores: manual, overwrite, list, restore, to,
    // replace and skip, in that order.
    static CliOptions &parseRestore(const QCommandLineParser &parser, CliOptions &options,
                                    const QList<QCommandLineOption> &restoreOptions);
};
