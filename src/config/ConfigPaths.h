#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// Where the settings and the backup list live, and which named set of them this process uses.

// The user's configuration folder ($XDG_CONFIG_HOME, else $HOME/.config) without a trailing "/",
// or empty when neither is known.
QString GetGBAppDataPath();

// The data folder for a configuration folder: a "/" when missing, "Arkivoda", then "/".
QString UserFolderFor(const QString &appDataPath);

// Creates the data folder when it does not exist, one level only (its parent must exist); true
// when the folder exists afterwards. Failing is not an error at start-up: reads then give defaults.
bool CreateUserFolder(const QString &userfolder);

// The data folder of this user, created when missing; always ends in "/".
QString PrepareUserFolder();

// The named set of files selected by the first command-line argument.
struct ListSelection
{
    QString GLOBAL_lista;         // empty, or the argument + "_"
    QString GLOBAL_lista_caption; // empty, or the argument

    // The selection for the first argument, used verbatim; no argument selects the unnamed set.
    static ListSelection fromArgument(const std::optional<QString> &firstArgument);
    // The selection for a program's arguments as QCoreApplication::arguments() gives them
    // (the program itself first, so the first argument is element 1).
    static ListSelection fromApplicationArguments(const QStringList &arguments);
};

// Full name of the settings file; a "/" is added after userfolder when it lacks one.
QString SettingsFileName(const QString &userfolder, const QString &GLOBAL_lista);

// Full name of the backup list file; a "/" is added after userfolder when it lacks one.
QString ListFileName(const QString &userfolder, const QString &GLOBAL_lista);

// Full name of the lock file that writers of the settings and list files hold while they change them;
// a "/" is added after userfolder when it lacks one.
QString LockFileName(const QString &userfolder, const QString &GLOBAL_lista);
