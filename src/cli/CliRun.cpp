#include "cli/CliRun.h"

#include "cli/CliRunView.h"
#include "cli/StopSignals.h"
#include "config/CliMessageTable.h"
#include "config/ConfigPaths.h"
#include "config/EConfigError.h"
#include "config/MessageTable.h"
#include "config/ProgramSettings.h"
#include "config/StringGrid.h"
#include "platform/LogindSleepInhibitor.h"
#include "run/ArchiveName.h"
#include "run/ArchiveRecord.h"
#include "run/FileSystem.h"
#include "run/RemoteCopy.h"
#include "run/RunController.h"
#include "run/RunSummary.h"
#include "run/WipeFile.h"
#include "run/ZipReason.h"
#include "zip/TZipVerifier.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdio>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Message texts hold CR LF line breaks; a terminal wants LF.
QString forTerminal(QString text)
{
    return text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
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

ProgramSettings CliRun::loadSettings() const
{
    ProgramSettings settings;
    const ListSelection selection = ListSelection::fromArgument(m_options.lista);
    settings.GLOBAL_lista = selection.GLOBAL_lista;
    settings.GLOBAL_lista_caption = selection.GLOBAL_lista_caption;
    settings.userfolder = PrepareUserFolder();
    LoadProgramSettings(settings);
    return settings;
}

int CliRun::exec()
{
    if (m_options.verify)
        return verify();
    if (m_options.copy)
        return copy();
    ProgramSettings settings = loadSettings();
    const bool automatic = !m_options.manual;
    const BackupAttempt::Kind kind = automatic ? BackupAttempt::Kind::Automatic : BackupAttempt::Kind::Manual;

    const BackupAttempt::Preparation preparation =
        BackupAttempt::prepare(kind, settings, m_options.manualFile, m_options.overwrite);
    if (preparation.refusal != BackupAttempt::Refusal::None) {
        refuse(preparation, settings);
        return Failed;
    }
    const QString archiveFile = preparation.archive;
    BackupAttempt::recordStart(settings, kind, QDateTime::currentDateTime());

    CliRunView view(stderr, ::isatty(STDERR_FILENO) == 1);
    RunController controller(view);
    view.setState(&controller.state());
    RunRequest request = RunRequest::fromSettings(settings, archiveFile);
    request.replaceExisting = !automatic && m_options.overwrite;
    request.leftoverParts = preparation.leftoverParts;
    {
        const StopSignals stopSignals([&controller] { controller.requestStop(); },
                                      [&controller] { controller.forceStop(); });
        // Sleep and shutdown wait for the archive, where the system bus and logind allow it.
        LogindSleepInhibitor inhibitor;
        inhibitor.hold(MessageTable::text(Msg::InhibitReason));
        controller.beginAttempt();
        controller.run(request);
    }
    const int status = finishRun(settings, controller.state(), view, kind);
    controller.endAttempt();
    return status;
}

int CliRun::verify() const
{
    // A pipe with no writer would hold the open forever; a device or folder is no archive either.
    struct stat status
    {
    };
    if (::stat(QFile::encodeName(m_options.verifyFile).constData(), &status) == 0 &&
        !S_ISREG(status.st_mode)) {
        out(CliMessageTable::text(CliMsg::VerifyFault)
                .arg(m_options.verifyFile, MessageTable::text(Msg::ZipNotRegularFile)));
        return Damaged;
    }
    const TZipVerification found =
        TZipVerifier::Verify(QFile::encodeName(m_options.verifyFile).toStdString());
    // Entries that cannot be checked (encrypted, or packed by a method without a decompressor) leave
    // the archive neither sound nor known to be damaged: exit 1, as for a run that is not complete.
    if (!found.Sound && found.Fault.empty() && found.UncheckedEntries > 0) {
        out(CliMessageTable::text(CliMsg::VerifyUnchecked, qint64(found.CheckedEntries))
                .arg(m_options.verifyFile)
                .arg(found.CheckedEntries)
                .arg(found.UncheckedEntries)
                .arg(ZipReason::text(found.UncheckedReason)));
        return Incomplete;
    }
    if (!found.Sound) {
        out(CliMessageTable::text(CliMsg::VerifyFault)
                .arg(m_options.verifyFile, ZipReason::text(found.FaultReason)));
        return Damaged;
    }
    out(CliMessageTable::text(CliMsg::VerifySound, qint64(found.CheckedEntries))
            .arg(m_options.verifyFile)
            .arg(found.CheckedEntries));
    return Complete;
}

int CliRun::copy()
{
    ProgramSettings settings = loadSettings();
    if (settings.GLOBAL_UdaljenoCilj.trimmed().isEmpty()) {
        error(CliMessageTable::text(CliMsg::CopyNoTarget).arg(settings.settingsFileName()));
        return Failed;
    }
    const QString archive = QFileInfo(m_options.copyFile).absoluteFilePath();
    if (!QFileInfo(archive).isFile()) {
        error(CliMessageTable::text(CliMsg::CopyNotFile).arg(archive));
        return Failed;
    }
    // Only a sound archive is sent: a damaged one would take the place of a good copy there.
    const TZipVerification found = TZipVerifier::Verify(QFile::encodeName(archive).toStdString());
    if (!found.Sound) {
        error(CliMessageTable::text(CliMsg::CopyNotSound).arg(archive, ZipReason::text(found.FaultReason)));
        return Damaged;
    }
    CliRunView view(stderr, ::isatty(STDERR_FILENO) == 1);
    return sendCopy(settings, archive, view, true) ? Complete : CopyFailed;
}

bool CliRun::sendCopy(const ProgramSettings &settings, const QString &archive, CliRunView &view,
                      bool mayPrune) const
{
    const QString target = settings.GLOBAL_UdaljenoCilj;
    RemoteCopy remoteCopy(target, settings.GLOBAL_UdaljenoZadrzi);
    remoteCopy.setProgressHandler([&view, &target](int percent) {
        view.showProgressText(RemoteCopy::progressText(target, percent), percent);
    });
    view.showProgressText(RemoteCopy::progressText(target, 0), 0);
    RemoteCopy::Result result;
    {
        // Ctrl+C ends the copy; the archive on this disk is only ever read.
        const StopSignals stopSignals([&remoteCopy] { remoteCopy.stop(); },
                                      [&remoteCopy] { remoteCopy.stop(); });
        const ArchiveRecord known = ArchiveRecord::read(settings);
        result = remoteCopy.send(archive, settings.BckName, mayPrune ? &known : nullptr);
    }
    const QString text = RemoteCopy::text(result, target);
    view.finishLine();
    if (!result.confirmed())
        error(text);
    out(text);
    return result.confirmed();
}

void CliRun::refuse(const BackupAttempt::Preparation &preparation, const ProgramSettings &settings) const
{
    using Refusal = BackupAttempt::Refusal;
    QString text = BackupAttempt::text(preparation.refusal, settings, preparation.archive, preparation.error);
    // The command line adds what the desktop shows elsewhere: the list's path, and for a file that may
    // not be replaced the option that answers the window's question.
    if (preparation.refusal == Refusal::ListMissing)
        text += QStringLiteral(" (") + settings.listFileName() + QLatin1Char(')');
    else if (preparation.refusal == Refusal::TargetExists)
        text += QStringLiteral(" (") + preparation.archive + QStringLiteral(")\n") +
                CliMessageTable::text(CliMsg::UseOverwrite);
    error(text);
}

int CliRun::finishRun(const ProgramSettings &settings, const RunState &state, CliRunView &view,
                      BackupAttempt::Kind kind)
{
    // Only an archive that is there is finalised; a failed run says what failed, once, and no more.
    if (BackupAttempt::leftArchive(BackupAttempt::outcome(state)))
        view.showText(MessageTable::text(Msg::StatusFinalising));

    const BackupAttempt::Record record = BackupAttempt::record(settings, kind, state);
    if (!record.failure.isEmpty())
        view.printLine(record.failure);

    const bool automatic = kind == BackupAttempt::Kind::Automatic;
    const bool stopped = record.outcome == BackupAttempt::Outcome::Stopped;
    const QString failure = BackupAttempt::failureText(record.outcome, state);
    // The failure is the headline on standard output; the status line does not repeat it.
    if (failure.isEmpty())
        view.showText(MessageTable::text(stopped ? Msg::StatusRunStopped : Msg::StatusRunComplete));
    view.finishLine();

    if (!failure.isEmpty()) {
        out(failure);
    } else {
        out(BackupAttempt::endNotice(record, state) + QLatin1Char(' ') + state.arhiva_file);
        if (settings.GLOBAL_Report) {
            const RunSummary summary(state, GetFileSize(state.arhiva_file));
            out(QString());
            out(summary.text());
        }
    }
    // What the run found and did beside the archive, whatever its outcome.
    for (const QString &line : BackupAttempt::notes(record, state))
        out(line);
    // After a failure the run says what failed and no more: sources missing from an archive that is not
    // there, or not sound, would read as if a backup had been made without them.
    if (state.file_missing > 0 && failure.isEmpty()) {
        error(RunSummary::missingWarning(state.file_missing));
        if (settings.GLOBAL_Report) {
            out(MessageTable::text(Msg::TitleMissingFiles) + QLatin1Char(':'));
            for (const QString &line : RunSummary::missingReport(state, automatic))
                out(line);
        }
    }
    if (record.outcome == BackupAttempt::Outcome::VerifyFailed)
        return Damaged;
    if (!failure.isEmpty())
        return Failed;
    // Only a complete archive is sent; a copy that fails leaves it as it is and says so in the status.
    if (RemoteCopy::wanted(settings, record.outcome) &&
        !sendCopy(settings, state.arhiva_file, view, record.mayPrune))
        return CopyFailed;
    if (stopped || state.file_missing > 0 || !record.recorded)
        return Incomplete;
    return Complete;
}
