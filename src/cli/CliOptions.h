#pragma once

#include <QString>
#include <QStringList>

#include <optional>

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
        VerifyWithoutFile
    };

    bool help = false;
    bool version = false;
    bool manual = false; // --manual FILE: the manual run into FILE
    QString manualFile;
    bool overwrite = false; // --overwrite: an existing FILE may be replaced
    bool verify = false;    // --verify FILE: the check of the archive FILE, instead of a run
    QString verifyFile;
    std::optional<QString> lista; // the named configuration, when given
    Problem problem = Problem::None;
    QString problemArgument; // the option or argument the problem is about

    // Parses the program's arguments, its own name first (as QCoreApplication::arguments gives them).
    static CliOptions parse(const QStringList &arguments);
    // The refusal of an unusable command line, in the current language; empty when it is usable.
    QString errorText() const;
    // The help text, in the current language.
    static QString helpText();
};
