#include "cli/CliRestore.h"

#include "config/CliMessageTable.h"
#include "run/ArchiveListing.h"
#include "run/RestoreJob.h"

#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>

#include <atomic>
#include <csignal>
#include <cstdio>
#include <exception>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::atomic<bool> g_stopRequested{false};

// The first Ctrl+C (or SIGTERM) stops the restore after dropping the file being written; the second
// ends the program at once.
extern "C" void requestStop(int signal)
{
    g_stopRequested = true;
    std::signal(signal, SIG_DFL);
}

void out(const QString &text)
{
    std::fputs((text + QLatin1Char('\n')).toLocal8Bit().constData(), stdout);
}

void error(const QString &text)
{
    std::fputs((text + QLatin1Char('\n')).toLocal8Bit().constData(), stderr);
}

QString text(CliMsg::Key key)
{
    return CliMessageTable::text(key);
}

bool standing(const QString &path)
{
    struct stat status
    {
    };
    return ::lstat(QFile::encodeName(path).constData(), &status) == 0;
}

} // namespace

CliRestore::CliRestore(const CliOptions &options) : m_options(options) {}

int CliRestore::exec()
{
    return m_options.listing() ? list() : restore();
}

int CliRestore::list()
{
    ArchiveListing listing;
    try {
        listing = ArchiveListing::read(m_options.listArchive);
    } catch (const std::exception &failure) {
        error(text(CliMsg::ArchiveUnreadable).arg(m_options.listArchive, QString::fromUtf8(failure.what())));
        return Refused;
    }
    const QList<int> chosen = listing.select(m_options.patterns);
    for (const int index : chosen) {
        const QDateTime when = listing.modified(index);
        const QString date = when.isValid() ? when.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"))
                                            : QStringLiteral("-------------------");
        out(QStringLiteral("%1 %2  %3").arg(date).arg(listing.size(index), 14).arg(listing.name(index)));
    }
    if (chosen.isEmpty() && !m_options.patterns.isEmpty()) {
        error(text(CliMsg::NoEntryMatches));
        return Incomplete;
    }
    return Complete;
}

int CliRestore::restore()
{
    ArchiveListing listing;
    try {
        listing = ArchiveListing::read(m_options.restoreArchive);
    } catch (const std::exception &failure) {
        error(
            text(CliMsg::ArchiveUnreadable).arg(m_options.restoreArchive, QString::fromUtf8(failure.what())));
        return Refused;
    }
    const QList<int> chosen = listing.select(m_options.patterns);
    if (chosen.isEmpty()) {
        error(text(CliMsg::NoEntryMatches));
        return Refused;
    }
    const QString folder = QDir(m_options.restoreFolder).absolutePath();
    const QList<RestoreItem> items = RestoreJob::planBelow(listing, chosen, QString(), folder);

    // Without --replace or --skip nothing is restored over an existing file: the restore is refused
    // before it writes anything, and says which files are in the way.
    RestoreJob::Existing existing = RestoreJob::Existing::Skip;
    if (m_options.replace) {
        existing = RestoreJob::Existing::Replace;
    } else if (!m_options.skip) {
        QStringList inTheWay;
        for (const RestoreItem &item : items)
            if (!item.relativePath.endsWith(QLatin1Char('/')) &&
                standing(item.folder + QLatin1Char('/') + item.relativePath))
                inTheWay << item.folder + QLatin1Char('/') + item.relativePath;
        if (!inTheWay.isEmpty()) {
            error(text(CliMsg::FilesExist));
            for (const QString &path : inTheWay)
                error(QStringLiteral("  ") + path);
            error(text(CliMsg::UseReplaceOrSkip));
            return Refused;
        }
    }

    RestoreJob job(m_options.restoreArchive, items, existing);
    const bool terminal = ::isatty(STDERR_FILENO) == 1;
    QElapsedTimer shown;
    shown.start();
    job.setProgress([&](const RestoreJob::Progress &progress) {
        if (g_stopRequested)
            job.requestStop();
        if (!terminal || shown.elapsed() < 200)
            return;
        shown.restart();
        const qint64 percent = progress.bytesTotal > 0 ? progress.bytesDone * 100 / progress.bytesTotal : 100;
        std::fprintf(
            stderr, "\r\033[K%s",
            text(CliMsg::RestoreProgress).arg(percent).arg(progress.current).toLocal8Bit().constData());
    });
    g_stopRequested = false;
    std::signal(SIGINT, requestStop);
    std::signal(SIGTERM, requestStop);
    const RestoreJob::Result result = job.run();
    std::signal(SIGINT, SIG_DFL);
    std::signal(SIGTERM, SIG_DFL);
    if (terminal)
        std::fputs("\r\033[K", stderr);

    for (const RestoreJob::Failure &failure : result.failed)
        out(text(CliMsg::RestoreFailed).arg(failure.name, failure.reason));
    for (const QString &name : result.skipped)
        out(text(CliMsg::RestoreSkipped).arg(name));
    if (result.stopped)
        out(text(CliMsg::RestoreStopped));
    out(text(CliMsg::RestoreSummary)
            .arg(result.restored)
            .arg(result.skipped.size())
            .arg(result.failed.size()));
    return result.complete() ? Complete : Incomplete;
}
