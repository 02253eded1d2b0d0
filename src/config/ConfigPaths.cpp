#include "config/ConfigPaths.h"

#include <QDir>
#include <QFileInfo>

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

bool CreateUserFolder(const QString &userfolder)
{
    if (QFileInfo(userfolder).isDir())
        return true;
    return QDir().mkdir(userfolder);
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
