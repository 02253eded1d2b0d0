#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// What the command line asks for.
struct CliOptions
{
    bool help = false;
    bool manual = false; // --manual FILE: the manual run into FILE
    QString manualFile;
    bool overwrite = false;       // --overwrite: an existing FILE may be replaced
    std::optional<QString> lista; // the named configuration, when given
    QString error;                // why the command line cannot be used; empty when it can

    // Parses the arguments after the program's name.
    static CliOptions parse(const QStringList &arguments);
    // The help text, in Croatian.
    static QString helpText();
};
