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

// Creates the data folder when it does not exist, with every missing folder above it, each for the
// user alone (0700); an existing folder is kept as it is. Throws EConfigError naming the data folder,
// with the folder that could not be made and the system's reason, when it cannot be created.
void CreateUserFolder(const QString &userfolder);

// The data folder of this user, created when missing (CreateUserFolder, whose error it passes on);
// always ends in "/".
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
