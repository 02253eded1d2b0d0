#include "app/DesktopCommandLine.h"
#include "app/TGlavni.h"
#include "config/ConfigPaths.h"
#include "platform/LinuxDesktop.h"
#include "platform/SingleInstance.h"
#include "run/StandardDescriptors.h"

#include <QApplication>

#include <csignal>

int main(int argc, char *argv[])
{
    // Before anything opens a file: closed standard descriptors must not be handed to files.
    OpenStandardDescriptors();
    // A file-size limit makes an archive write fail with its cause instead of ending the program.
    std::signal(SIGXFSZ, SIG_IGN);

    // The help, the version and a mistaken command line need no display: they are answered before the
    // toolkit looks for one.
    QStringList rawArguments;
    for (int i = 0; i < argc; ++i)
        rawArguments << QString::fromLocal8Bit(argv[i]);
    const DesktopCommandLine commandLine(rawArguments);
    if (commandLine.request() != DesktopCommandLine::Request::Run) {
        const QCoreApplication app(argc, argv);
        return commandLine.answer();
    }

    QApplication app(argc, argv);
    // What the toolkit left of the command line must name a configuration and nothing else: an option
    // the toolkit did not take after all is refused here, still before any window.
    const DesktopCommandLine leftOver(QApplication::arguments());
    if (leftOver.request() != DesktopCommandLine::Request::Run)
        return leftOver.answer();
    QApplication::setApplicationName(QStringLiteral("Arkivoda"));
    QApplication::setApplicationVersion(QStringLiteral(ARKIVODA_VERSION));
    QGuiApplication::setDesktopFileName(QStringLiteral("arkivoda"));
    // The program ends when the main window closes, not when the last visible window does: the main
    // window may be hidden in the tray while a dialog closes.
    QApplication::setQuitOnLastWindowClosed(false);

    LinuxDesktop desktop;
    // One program per configuration: a second start brings the running one forward and ends here.
    const ListSelection selection = ListSelection::fromApplicationArguments(QApplication::arguments());
    if (!desktop.services().instance.claim(
            SettingsFileName(UserFolderFor(GetGBAppDataPath()), selection.GLOBAL_lista)))
        return 0;

    TGlavni Glavni(QApplication::arguments(), desktop.services());
    QObject::connect(&Glavni, &TGlavni::closed, &app, &QCoreApplication::quit, Qt::QueuedConnection);
    // A first start left without a saved list ends the program before its window is shown.
    if (Glavni.Terminated())
        return 0;
    Glavni.showAtStart();
    return app.exec();
}
