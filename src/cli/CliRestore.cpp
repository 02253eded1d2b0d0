#include "cli/CliRestore.h"

#include "config/CliMessageTable.h"
#include "run/ArchiveListing.h"
#include "run/EntryName.h"
#include "run/RestoreJob.h"
#include "run/ZipReason.h"

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
#include <utility>

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

// Names come from the archive: printed, they must not reach the terminal as control characters.
QString printed(const QString &name)
{
    return EntryName::printable(name);
}

// What stands in the way of an item without --replace or --skip: an existing file at its place, or
// anything but a real folder (a file, a link) where one of its folders goes. Empty when nothing does.
QString inTheWay(const RestoreItem &item)
{
    const QStringList parts = item.relativePath.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    // A name without a last part ("", ".", "sub/.") is refused by the restore itself.
    if (parts.isEmpty() || parts.last() == QLatin1String("."))
        return {};
    const bool folder = item.relativePath.endsWith(QLatin1Char('/'));
    QString path = item.folder;
    for (qsizetype i = 0; i < parts.size(); ++i) {
        path += QLatin1Char('/') + parts[i];
        struct stat status
        {
        };
        if (::lstat(EntryName::toBytes(path).c_str(), &status) != 0)
            return {};
        const bool last = i == parts.size() - 1;
        if (!S_ISDIR(status.st_mode) || (last && !folder))
            return path;
    }
    return {};
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
        error(text(CliMsg::ArchiveUnreadable).arg(m_options.listArchive, ZipReason::text(failure)));
        return Refused;
    }
    const QList<int> chosen = listing.select(m_options.patterns);
    for (const int index : chosen) {
        const QDateTime when = listing.modified(index);
        const QString date = when.isValid() ? when.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"))
                                            : QStringLiteral("-------------------");
        out(QStringLiteral("%1 %2  %3")
                .arg(date)
                .arg(listing.size(index), 14)
                .arg(printed(listing.name(index))));
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
        error(text(CliMsg::ArchiveUnreadable).arg(m_options.restoreArchive, ZipReason::text(failure)));
        return Refused;
    }
    const QList<int> chosen = listing.select(m_options.patterns);
    if (chosen.isEmpty()) {
        error(text(CliMsg::NoEntryMatches));
        return Refused;
    }
    const QString folder = QDir(m_options.restoreFolder).absolutePath();
    const QList<RestoreItem> items = RestoreJob::planBelow(listing, chosen, QString(), folder);

    // Without --replace or --skip nothing is restored over an existing file or link: the restore is
    // refused before it writes anything, and says what is in the way.
    RestoreJob::Existing existing = RestoreJob::Existing::Skip;
    if (m_options.replace) {
        existing = RestoreJob::Existing::Replace;
    } else if (!m_options.skip) {
        QStringList blocking;
        for (const RestoreItem &item : items)
            if (const QString path = inTheWay(item); !path.isEmpty())
                blocking << path;
        blocking.removeDuplicates();
        if (!blocking.isEmpty()) {
            error(text(CliMsg::FilesExist));
            for (const QString &path : std::as_const(blocking))
                error(QStringLiteral("  ") + printed(path));
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
        std::fprintf(stderr, "\r\033[K%s",
                     text(CliMsg::RestoreProgress)
                         .arg(percent)
                         .arg(printed(progress.current))
                         .toLocal8Bit()
                         .constData());
    });
    g_stopRequested = false;
    std::signal(SIGINT, requestStop);
    std::signal(SIGTERM, requestStop);
    const RestoreJob::Result result = job.run();
    std::signal(SIGINT, SIG_DFL);
    std::signal(SIGTERM, SIG_DFL);
    if (terminal)
        std::fputs("\r\033[K", stderr);

    // A reason may quote the entry's name too.
    for (const RestoreJob::Failure &failure : result.failed)
        out(text(CliMsg::RestoreFailed).arg(printed(failure.name), printed(failure.reason)));
    for (const QString &name : result.skipped)
        out(text(CliMsg::RestoreSkipped).arg(printed(name)));
    if (result.stopped)
        out(text(CliMsg::RestoreStopped));
    if (!result.leftovers.isEmpty()) {
        out(text(CliMsg::RestoreLeftovers));
        for (const QString &path : result.leftovers)
            out(QStringLiteral("  ") + printed(path));
    }
    out(text(CliMsg::RestoreSummary)
            .arg(result.restored)
            .arg(result.skipped.size())
            .arg(result.failed.size()));
    return result.complete() ? Complete : Incomplete;
}
