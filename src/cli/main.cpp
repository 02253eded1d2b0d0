#include "cli/CliOptions.h"
#include "cli/CliRestore.h"
#include "cli/CliRun.h"
#include "config/CliMessageTable.h"
#include "config/ConfiguredLanguage.h"
#include "run/StandardDescriptors.h"

#include <QCoreApplication>

#include <csignal>
#include <cstdio>
#include <exception>

int main(int argc, char *argv[])
{
    // Before anything opens a file: a closed standard error must not become the signal pipe.
    OpenStandardDescriptors();
    // A file-size limit makes a write fail with EFBIG, reported as the archive's error with its cause,
    // instead of killing the program half-way through the archive.
    std::signal(SIGXFSZ, SIG_IGN);
    // Output into a closed pipe (arkivoda-cli | head) fails quietly instead of ending the run with an
    // archive that has no directory.
    std::signal(SIGPIPE, SIG_IGN);
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Arkivoda"));
    QCoreApplication::setApplicationVersion(QStringLiteral(ARKIVODA_VERSION));

    try {
        const CliOptions options = CliOptions::parse(QCoreApplication::arguments());
        // The configuration the command line names decides the language of everything said below.
        ApplyConfiguredLanguage(options.lista);
        if (options.help) {
            std::fputs(CliOptions::helpText().toLocal8Bit().constData(), stdout);
            return CliRun::Complete;
        }
        if (options.version) {
            std::printf("arkivoda-cli %s\n", ARKIVODA_VERSION);
            return CliRun::Complete;
        }
        if (options.problem != CliOptions::Problem::None) {
            std::fprintf(stderr, "%s\n%s\n", options.errorText().toLocal8Bit().constData(),
                         CliMessageTable::text(CliMsg::SeeHelp).toLocal8Bit().constData());
            return CliRun::Failed;
        }
        if (options.listing() || options.restoring())
            return CliRestore(options).exec();
        return CliRun(options).exec();
    } catch (const std::exception &failure) {
        std::fprintf(stderr, "%s\n", failure.what());
        return CliRun::Failed;
    }
}
