#include "cli/CliRun.h"

#include "cli/CliMessageTable.h"
#include "cli/CliRunView.h"
#include "cli/StopSignals.h"
#include "config/ConfigPaths.h"
#include "config/EConfigError.h"
#include "config/MessageTable.h"
#include "config/ProgramSettings.h"
#include "config/StringGrid.h"
#include "run/ArchiveName.h"
#include "run/FileSystem.h"
#include "run/RunController.h"
#include "run/RunSummary.h"
#include "run/WipeFile.h"

#include <QDir>
#include <QFileInfo>

#include <cstdio>
#include <unistd.h>

namespace {

// Message texts hold CR LF line breaks; a terminal wants LF.
QString forTerminal(QString text)
{
    return text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

int startDelayFromEnvironment()
{
    // Tests shorten the worker's initial wait; the program's own default stays.
    bool ok = false;
    const int delay = qEnvironmentVariableIntValue("ARKIVODA_START_DELAY_MS", &ok);
    return ok && delay >= 0 ? delay : 2000;
}

// What went wrong when the run did not leave a complete archive; empty when it did.
QString failureHeadline(const RunState &state)
{
    if (state.archiveFailed)
        return CliMessageTable::text(CliMsg::FailedNotWritable).arg(state.arhiva_file, state.archiveFailure);
    if (state.fKill)
        return CliMessageTable::text(FileExists(state.arhiva_file) ? CliMsg::KilledIncomplete
                                                                   : CliMsg::KilledBeforeArchive)
            .arg(state.arhiva_file);
    if (!FileExists(state.arhiva_file))
        return CliMessageTable::text(CliMsg::FailedNotCreated).arg(state.arhiva_file);
    return QString();
}

} // namespace

CliRun::CliRun(const CliOptions &options) : m_options(options) {}

void CliRun::error(const QString &text) const
{
    std::fputs(forTerminal(text).toLocal8Bit().constData(), stderr);
    std::fputc('\n', stderr);
}

void CliRun::out(const QString &text) const
{
    std::fputs(forTerminal(text).toLocal8Bit().constData(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

int CliRun::exec()
{
    ProgramSettings settings;
    const ListSelection selection = ListSelection::fromArgument(m_options.lista);
    settings.GLOBAL_lista = selection.GLOBAL_lista;
    settings.GLOBAL_lista_caption = selection.GLOBAL_lista_caption;
    settings.userfolder = PrepareUserFolder();
    LoadProgramSettings(settings);
    const bool automatic = !m_options.manual;

    // The list check, then for the automatic run the archive folder check.
    const QString listFile = settings.listFileName();
    if (!QFileInfo::exists(listFile)) {
        error(MessageTable::text(Msg::ErrorListMissing) + QStringLiteral(" (") + listFile + QLatin1Char(')'));
        return Failed;
    }
    if (!ReadListLines(listFile)) {
        error(CliMessageTable::text(CliMsg::ListUnreadable).arg(listFile));
        return Failed;
    }
    if (automatic && !DirectoryExists(settings.BackupLokacijaAuto)) {
        error(MessageTable::fill(MessageTable::text(Msg::ErrorArchiveFolderMissing),
                                 {settings.BackupLokacijaAuto}));
        return Failed;
    }

    const QString stamp = ArchiveName::stampNow();
    QString archiveFile;
    if (automatic) {
        archiveFile = ArchiveName::automaticPath(settings.BackupLokacijaAuto, settings.BckName, stamp);
    } else {
        archiveFile = QFileInfo(m_options.manualFile).absoluteFilePath();
        const QFileInfo chosen(archiveFile);
        if (chosen.isDir()) {
            error(CliMessageTable::text(CliMsg::TargetIsFolder).arg(archiveFile));
            return Failed;
        }
        if (chosen.exists() && !m_options.overwrite) {
            // The desktop program asks; here the question becomes a refusal with its answer in an option.
            const QString question =
                MessageTable::fill(MessageTable::text(Msg::QuestionOverwrite), {chosen.fileName()});
            error(question.section(QStringLiteral("\r\n"), 0, 0) + QStringLiteral(" (") + archiveFile +
                  QStringLiteral(")\n") + CliMessageTable::text(CliMsg::UseOverwrite));
            return Failed;
        }
    }
    if (!WipeFile(archiveFile)) {
        error(CliMessageTable::text(CliMsg::CannotDelete).arg(archiveFile));
        return Failed;
    }

    CliRunView view(stderr, ::isatty(STDERR_FILENO) == 1);
    RunController controller(view);
    view.setState(&controller.state());
    RunRequest request = RunRequest::fromSettings(settings, archiveFile);
    request.startDelayMs = startDelayFromEnvironment();
    {
        const StopSignals stopSignals([&controller] { controller.BTN_CancelClick(); },
                                      [&controller] { controller.forceStop(); });
        controller.beginAttempt();
        controller.run(request);
    }
    const int status = finishRun(settings, controller.state(), view, automatic);
    controller.endAttempt();
    return status;
}

int CliRun::finishRun(const ProgramSettings &settings, const RunState &state, CliRunView &view,
                      bool automatic)
{
    view.showText(MessageTable::text(Msg::StatusFinalising));

    bool recorded = true;
    try {
        WriteLastArchive(settings, automatic ? LastArchiveKind::FileA : LastArchiveKind::FileR,
                         state.arhiva_file);
    } catch (const EConfigError &failure) {
        recorded = false;
        view.printLine(failure.reason().isEmpty()
                           ? failure.message()
                           : failure.message() + QStringLiteral(" (") + failure.reason() + QLatin1Char(')'));
    }

    const bool stopped = state.PrekidArhiviranja;
    const QString failure = failureHeadline(state);
    view.showText(!failure.isEmpty()
                      ? failure
                      : MessageTable::text(stopped ? Msg::StatusRunStopped : Msg::StatusRunComplete));
    view.finishLine();

    if (!failure.isEmpty()) {
        out(failure);
    } else {
        out(MessageTable::text(Msg::BalloonRunFinished) + QLatin1Char(' ') + state.arhiva_file);
        if (settings.GLOBAL_Report) {
            const RunSummary summary(state, GetFileSize(state.arhiva_file));
            out(QString());
            out(summary.text());
        }
    }
    if (state.file_missing > 0) {
        error(RunSummary::missingWarning(state.file_missing));
        if (settings.GLOBAL_Report) {
            out(MessageTable::text(Msg::TitleMissingFiles) + QLatin1Char(':'));
            for (const QString &line : RunSummary::missingReport(state, automatic))
                out(line);
        }
    }
    if (!failure.isEmpty())
        return Failed;
    if (stopped || state.file_missing > 0 || !recorded)
        return Incomplete;
    return Complete;
}
