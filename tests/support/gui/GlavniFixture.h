#pragma once

#include "FakeDesktop.h"
#include "TempTree.h"

#include "RequireControl.h"
#include "app/TGlavni.h"
#include "ui/MyMessageDialog.h"

#include <QDir>
#include <QList>

#include <memory>

// A data folder with settings and a backup list of one small source folder, an archive folder, and
// the main window over recording desktop services. Every message dialog is recorded and answered
// (Yes or OK) without being shown.
struct GlavniFixture
{
    explicit GlavniFixture(const QByteArray &extraSettings = {})
    {
        qputenv("XDG_CONFIG_HOME", tree.path(QStringLiteral("config")).toUtf8());
        dataFolder = tree.makeDir(QStringLiteral("config/Arkivoda")) + QLatin1Char('/');
        archiveFolder = tree.makeDir(QStringLiteral("arhiva")) + QLatin1Char('/');
        tree.writeFile(QStringLiteral("izvor/a.txt"), "sadržaj");
        tree.writeFile(QStringLiteral("config/Arkivoda/Arkivoda_bcklst.txt"),
                       (tree.path(QStringLiteral("izvor")) + QStringLiteral("\r\n")).toUtf8());
        tree.writeFile(QStringLiteral("config/Arkivoda/Arkivoda.ini"),
                       "[LokacijaAuto]\r\nPutanja=" + archiveFolder.toUtf8() + "\r\n" + extraSettings);
        SetMessageDialogHook([this](const MessageDialogRequest &request) -> std::optional<int> {
            dialogs << request;
            return request.buttons.testFlag(mbYes) ? mrYes : mrOk;
        });
    }
    ~GlavniFixture() { SetMessageDialogHook({}); }
    GlavniFixture(const GlavniFixture &) = delete;
    GlavniFixture &operator=(const GlavniFixture &) = delete;

    // Creates the main window for the given arguments (the program first); it is not shown.
    TGlavni &create(const QStringList &arguments = {QStringLiteral("arkivoda")})
    {
        window = std::make_unique<TGlavni>(arguments, desktop.services());
        return *window;
    }

    template <typename T = QWidget> T *control(const char *name) const
    {
        return requireControl<T>(*window, name);
    }

    QStringList archives() const { return QDir(archiveFolder).entryList(QDir::Files); }

    TempTree tree;
    QString dataFolder;
    QString archiveFolder;
    FakeDesktop desktop;
    std::unique_ptr<TGlavni> window;
    QList<MessageDialogRequest> dialogs;
};
