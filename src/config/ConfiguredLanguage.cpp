#include "config/ConfiguredLanguage.h"

#include "config/ConfigPaths.h"
#include "config/IniFile.h"
#include "config/ResourceModules.h"

#include <QCoreApplication>

void ApplyConfiguredLanguage(const std::optional<QString> &lista)
{
    // Both programs read one pair of modules, named after the desktop program.
    SetResourceProgramFile(QCoreApplication::applicationDirPath() + QStringLiteral("/arkivoda"));
    const ListSelection selection = ListSelection::fromArgument(lista);
    const QString settingsFile = SettingsFileName(UserFolderFor(GetGBAppDataPath()), selection.GLOBAL_lista);
    const QString code =
        IniFile(settingsFile)
            .ReadString(QStringLiteral("Program"), QStringLiteral("Jezik"), QStringLiteral("HR"));
    if (const std::optional<quint32> locale = LocaleOfLanguageCode(code))
        LoadNewResourceModule(*locale);
}
