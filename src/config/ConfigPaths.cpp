#include "config/ConfigPaths.h"

#include "config/EConfigError.h"
#include "config/MessageTable.h"
#include "config/SystemReason.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>

#include <cerrno>
#include <utility>

namespace {
QString withSeparator(const QString &folder)
{
    return folder.endsWith(u'/') ? folder : folder + u'/';
}

QString withoutTrailingSeparators(QString path)
{
    while (path.size() > 1 && path.endsWith(u'/'))
        path.chop(1);
    return path;
}
} // namespace

QString GetGBAppDataPath()
{
    // A relative or empty XDG_CONFIG_HOME is invalid by the XDG rules and falls back to the default.
    const QString xdg = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (!xdg.isEmpty() && QDir::isAbsolutePath(xdg))
        return withoutTrailingSeparators(xdg);
    const QString home = qEnvironmentVariable("HOME");
    if (!home.isEmpty())
        return withSeparator(home) + QStringLiteral(".config");
    return {};
}

QString UserFolderFor(const QString &appDataPath)
{
    return withSeparator(appDataPath) + QStringLiteral("Arkivoda/");
}

void CreateUserFolder(const QString &userfolder)
{
    // The missing folders, outermost first: a new account has no ~/.config yet.
    QStringList missing;
    for (QString folder = QDir::cleanPath(userfolder); !QFileInfo(folder).isDir();) {
        missing.prepend(folder);
        const QString parent = QFileInfo(folder).path();
        if (parent == folder)
            break;
        folder = parent;
    }
    for (const QString &folder : std::as_const(missing)) {
        if (::mkdir(QFile::encodeName(folder).constData(), 0700) == 0)
            continue;
        int error = errno;
        // Made meanwhile by another process, or a file standing where the folder should be.
        if (error == EEXIST && QFileInfo(folder).isDir())
            continue;
        if (error == EEXIST)
            error = ENOTDIR;
        const QString reason = folder + QStringLiteral(": ") + SystemReason::text(error);
        throw EConfigError(EConfigError::Operation::CreateFolder, userfolder,
                           MessageTable::fill(MessageTable::text(Msg::ErrorDataFolderNotCreated),
                                              {QDir::toNativeSeparators(userfolder), reason}),
                           reason);
    }
}

QString PrepareUserFolder()
{
    const QString userfolder = UserFolderFor(GetGBAppDataPath());
    CreateUserFolder(userfolder);
    return userfolder;
}

ListSelection ListSelection::fromArgument(const std::optional<QString> &firstArgument)
{
    if (!firstArgument)
        return {};
    return {*firstArgument + u'_', *firstArgument};
}

ListSelection ListSelection::fromApplicationArguments(const QStringList &arguments)
{
    if (arguments.size() < 2)
        return {};
    return fromArgument(arguments.at(1));
}

QString SettingsFileName(const QString &userfolder, const QString &GLOBAL_lista)
{
    return withSeparator(userfolder) + GLOBAL_lista + QStringLiteral("Arkivoda.ini");
}

QString ListFileName(const QString &userfolder, const QString &GLOBAL_lista)
{
    return withSeparator(userfolder) + GLOBAL_lista + QStringLiteral("Arkivoda_bcklst.txt");
}

QString LockFileName(const QString &userfolder, const QString &GLOBAL_lista)
{
    return withSeparator(userfolder) + GLOBAL_lista + QStringLiteral("Arkivoda.lock");
}
