#pragma once

#include "FakeDesktop.h"
#include "ModuleFiles.h"
#include "TempTree.h"
#include "app/TGlavni.h"
#include "config/ResourceModules.h"

#include <QFile>

#include <memory>

// The program in a folder with both language modules, a configuration in the given language ("HR" or
// "EN") with one source folder and an archive folder, and the main window shown over fake desktop
// services: for tests that read what the windows show in each language.
struct BilingualWindowFixture
{
    explicit BilingualWindowFixture(const QString &jezik)
    {
        SetResourceProgramFile(tree.path(QStringLiteral("bin/arkivoda")));
        tree.makeDir(QStringLiteral("bin"));
        for (const QString &abbreviation : {QStringLiteral("HRV"), QStringLiteral("ENU")})
            QFile::copy(ModuleFiles::builtModule(abbreviation),
                        tree.path(QStringLiteral("bin/arkivoda.") + abbreviation));
        qputenv("XDG_CONFIG_HOME", tree.path(QStringLiteral("config")).toUtf8());
        const QString archiveFolder = tree.makeDir(QStringLiteral("arhiva")) + QLatin1Char('/');
        tree.writeFile(QStringLiteral("config/Arkivoda/Arkivoda_bcklst.txt"),
                       tree.makeDir(QStringLiteral("izvor")).toUtf8() + "\r\n");
        tree.writeFile(QStringLiteral("config/Arkivoda/Arkivoda.ini"),
                       (QStringLiteral("[LokacijaAuto]\r\nPutanja=") + archiveFolder +
                        QStringLiteral("\r\n[Program]\r\nJezik=") + jezik + QStringLiteral("\r\n"))
                           .toUtf8());
        window = std::make_unique<TGlavni>(QStringList{QStringLiteral("arkivoda")}, desktop.services());
        window->show();
    }

    ~BilingualWindowFixture()
    {
        window.reset();
        SetResourceHInstance(nullptr);
        SetResourceProgramFile(QString());
    }

    TempTree tree;
    FakeDesktop desktop;
    std::unique_ptr<TGlavni> window;
};
