#include "run/RemoteCopy.h"

#include "config/MessageTable.h"
#include "config/ProgramSettings.h"
#include "run/ArchiveName.h"
#include "run/ArchiveRecord.h"
#include "run/Percent.h"
#include "run/RetentionPlan.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

// Commands that only ask the remote something; a copy or a hash of a large archive takes longer.
constexpr int QueryTimeoutMs = 60000;
constexpr int CleanupTimeoutMs = 10000;
// rclone's exit status for a folder that does not exist.
constexpr int RcloneDirectoryNotFound = 3;

QString message(quint16 number)
{
    return MessageTable::text(number);
}

// The first entry of an lsjson answer.
QJsonObject firstListed(const QByteArray &json)
{
    return QJsonDocument::fromJson(json).array().first().toObject();
}

// A hash the remote computes, preferring the common ones; empty when it offers none.
QString chosenHash(const QByteArray &features)
{
    const QJsonArray offered =
        QJsonDocument::fromJson(features).object().value(QStringLiteral("Hashes")).toArray();
    QStringList hashes;
    for (const QJsonValue &hash : offered)
        hashes.append(hash.toString());
    for (const QString &preferred : {QStringLiteral("md5"), QStringLiteral("sha1")})
        if (hashes.contains(preferred))
            return preferred;
    return hashes.value(0);
}

// A hash of a large file needs time on each side: a minute, and a second for each 20 MB.
int hashTimeoutMs(qint64 size)
{
    return QueryTimeoutMs + static_cast<int>(std::min<qint64>(size / (20 * 1024 * 1024) * 1000, 3600000));
}

} // namespace

RemoteCopy::RemoteCopy(const QString &target, int keep, QObject *parent)
    : QObject(parent), m_target(target.trimmed()), m_keep(keep)
{
}

bool RemoteCopy::wanted(const ProgramSettings &settings, BackupAttempt::Outcome outcome)
{
    return !settings.GLOBAL_UdaljenoCilj.trimmed().isEmpty() && outcome == BackupAttempt::Outcome::Complete;
}

QString RemoteCopy::remotePath(const QString &target, const QString &name)
{
    const QString trimmed = target.trimmed();
    if (trimmed.isEmpty() || trimmed.endsWith(u':') || trimmed.endsWith(u'/'))
        return trimmed + name;
    return trimmed + u'/' + name;
}

void RemoteCopy::stop()
{
    if (!m_sending)
        return;
    m_stopRequested = true;
    m_remote.stop();
    m_local.stop();
}

QString RemoteCopy::reasonOf(const RcloneProcess::Result &step) const
{
    if (m_stopRequested || step.stopped)
        return message(Msg::CopyReasonStopped);
    if (step.timedOut)
        return MessageTable::fill(message(Msg::CopyReasonTimeout), {QString::number(QueryTimeoutMs / 1000)});
    if (!step.error.isEmpty())
        return step.error;
    if (!step.started)
        return message(Msg::CopyReasonNoRclone);
    return MessageTable::fill(message(Msg::CopyReasonExitCode), {QString::number(step.exitCode)});
}

RemoteCopy::Result RemoteCopy::fail(Result result, const RcloneProcess::Result &step) const
{
    result.outcome = m_stopRequested || step.stopped ? Outcome::Stopped : Outcome::Failed;
    result.reason = reasonOf(step);
    return result;
}

RemoteCopy::Result RemoteCopy::send(const QString &archive, const QString &prefix,
                                    const ArchiveRecord *retention)
{
    Result result;
    const QFileInfo local(archive);
    const QString name = local.fileName();
    result.remoteFile = remotePath(m_target, name);
    if (RcloneProcess::program().isEmpty()) {
        result.outcome = Outcome::NoRclone;
        result.reason = message(Msg::CopyReasonNoRclone);
        return result;
    }
    m_sending = true;
    m_stopRequested = false;
    const struct Sending
    {
        bool &flag;
        ~Sending() { flag = false; }
    } sending{m_sending};

    if (const QString problem = targetProblem(m_target, QueryTimeoutMs); !problem.isEmpty()) {
        result.outcome = Outcome::Failed;
        result.reason = problem;
        return result;
    }

    // Which hash the remote offers decides how the copy is compared: by hash, or by size alone.
    const RcloneProcess::Result features =
        m_remote.run({QStringLiteral("backend"), QStringLiteral("features"), m_target}, QueryTimeoutMs);
    if (!features.succeeded() || m_stopRequested)
        return fail(result, features);
    const QString hash = chosenHash(features.output);

    const QString part = result.remoteFile + QStringLiteral(".part");
    const QString absolute = local.absoluteFilePath();
    QStringList copy{QStringLiteral("copyto"), absolute, part, QStringLiteral("--stats=1s")};
    if (hash.isEmpty()) {
        copy << QStringLiteral("--size-only");
    } else {
        // The confirmation below compares the hashes once; rclone's own comparison after the transfer
        // would read both copies a second time.
        copy << QStringLiteral("--checksum") << QStringLiteral("--ignore-checksum");
    }
    m_remote.setProgressHandler([this](qint64 bytes, qint64 total) {
        if (m_progress && total > 0)
            m_progress(percentOf(bytes, total));
    });
    const RcloneProcess::Result sent = m_remote.run(copy, 0);
    m_remote.setProgressHandler(nullptr);
    if (!sent.succeeded() || m_stopRequested) {
        removePart(part);
        return fail(result, sent);
    }

    // The confirmation: the remote's listing of the copy against the archive, both hashed at once.
    const qint64 size = local.size();
    QStringList listing{QStringLiteral("lsjson"), part};
    QStringList localListing{QStringLiteral("lsjson"), absolute};
    if (!hash.isEmpty()) {
        listing << QStringLiteral("--hash") << QStringLiteral("--hash-type=") + hash;
        localListing << QStringLiteral("--hash") << QStringLiteral("--hash-type=") + hash;
        m_local.start(localListing, hashTimeoutMs(size));
    }
    const RcloneProcess::Result remoteListed = m_remote.run(listing, hashTimeoutMs(size));
    const RcloneProcess::Result localListed = hash.isEmpty() ? RcloneProcess::Result() : m_local.waitForEnd();
    if (!remoteListed.succeeded() || m_stopRequested) {
        removePart(part);
        return fail(result, remoteListed);
    }
    const QJsonObject copyEntry = firstListed(remoteListed.output);
    const qint64 remoteSize = static_cast<qint64>(copyEntry.value(QStringLiteral("Size")).toDouble(-1));
    QString mismatch;
    if (remoteSize != size) {
        mismatch = QStringLiteral("%1 ≠ %2 B").arg(remoteSize).arg(size);
    } else if (!hash.isEmpty()) {
        if (!localListed.succeeded()) {
            removePart(part);
            return fail(result, localListed);
        }
        const QString remoteHash =
            copyEntry.value(QStringLiteral("Hashes")).toObject().value(hash).toString().toLower();
        const QString localHash = firstListed(localListed.output)
                                      .value(QStringLiteral("Hashes"))
                                      .toObject()
                                      .value(hash)
                                      .toString()
                                      .toLower();
        // A remote that names a hash may still not give it for a file; the size then has to do.
        if (!remoteHash.isEmpty() && remoteHash != localHash)
            mismatch = hash + QStringLiteral(" ") + remoteHash + QStringLiteral(" ≠ ") + localHash;
    }
    if (!mismatch.isEmpty()) {
        removePart(part);
        result.outcome = Outcome::Failed;
        result.reason = MessageTable::fill(message(Msg::CopyReasonMismatch), {mismatch});
        return result;
    }

    const RcloneProcess::Result moved = m_remote.run({QStringLiteral("moveto"), part, result.remoteFile}, 0);
    if (!moved.succeeded())
        return fail(result, moved);
    // The copy counts once it is listed under its name with the archive's size.
    const RcloneProcess::Result named =
        m_remote.run({QStringLiteral("lsjson"), result.remoteFile}, QueryTimeoutMs);
    if (!named.succeeded())
        return fail(result, named);
    if (static_cast<qint64>(firstListed(named.output).value(QStringLiteral("Size")).toDouble(-1)) != size) {
        result.outcome = Outcome::Failed;
        result.reason = MessageTable::fill(message(Msg::CopyReasonMismatch), {result.remoteFile});
        return result;
    }
    result.outcome = Outcome::Confirmed;
    if (retention)
        applyRetention(result, prefix, *retention);
    return result;
}

void RemoteCopy::removePart(const QString &part)
{
    // The copy under ".part" is never taken for an archive, and a later copy replaces it; removing it
    // only tidies up, so a remote that cannot be reached keeps it.
    m_remote.run({QStringLiteral("deletefile"), part}, CleanupTimeoutMs);
}

void RemoteCopy::applyRetention(Result &result, const QString &prefix, const ArchiveRecord &known)
{
    if (m_keep <= 0 || m_stopRequested)
        return;
    const RcloneProcess::Result listed =
        m_remote.run({QStringLiteral("lsjson"), QStringLiteral("--files-only"), m_target}, QueryTimeoutMs);
    if (!listed.succeeded()) {
        result.retentionFailure = reasonOf(listed);
        return;
    }
    const QString sent = QFileInfo(result.remoteFile).fileName();
    QStringList files;
    for (const QJsonValue &value : QJsonDocument::fromJson(listed.output).array()) {
        const QJsonObject entry = value.toObject();
        if (!entry.value(QStringLiteral("IsDir")).toBool())
            files.append(entry.value(QStringLiteral("Name")).toString());
    }
    // Only copies of archives that automatic runs wrote count or go; a manual archive's copy stays.
    const RetentionPlan plan = RetentionPlan::make(
        prefix, files, sent, m_keep, ArchiveName::stampNow(),
        [&known, &prefix](const QString &name) { return known.isAutomatic(prefix, name); });
    result.futureDated = plan.future;
    for (const QString &name : plan.deleted) {
        const RcloneProcess::Result deleted =
            m_remote.run({QStringLiteral("deletefile"), remotePath(m_target, name)}, QueryTimeoutMs);
        if (!deleted.succeeded()) {
            result.retentionFailure = reasonOf(deleted);
            return;
        }
        result.deleted.append(name);
    }
}

QString RemoteCopy::targetProblem(const QString &target, int timeoutMs)
{
    const QString trimmed = target.trimmed();
    if (trimmed.startsWith(u'/'))
        return QString();
    // rclone takes what comes before the first ":" as a remote's name, unless a "/" comes first.
    const qsizetype colon = trimmed.indexOf(u':');
    const QString remote = trimmed.left(colon);
    if (colon <= 0 || remote.contains(u'/'))
        return message(Msg::CopyReasonTargetForm);
    if (RcloneProcess::program().isEmpty())
        return QString();
    RcloneProcess process;
    const RcloneProcess::Result listed = process.run({QStringLiteral("listremotes")}, timeoutMs);
    if (!listed.succeeded()) {
        return listed.timedOut
                   ? MessageTable::fill(message(Msg::CopyReasonTimeout), {QString::number(timeoutMs / 1000)})
               : !listed.error.isEmpty()
                   ? listed.error
                   : MessageTable::fill(message(Msg::CopyReasonExitCode), {QString::number(listed.exitCode)});
    }
    const QStringList remotes = QString::fromUtf8(listed.output).split(u'\n', Qt::SkipEmptyParts);
    for (const QString &line : remotes)
        if (line.trimmed() == remote + u':')
            return QString();
    return MessageTable::fill(message(Msg::CopyReasonUnknownRemote), {remote});
}

RemoteCopy::Check RemoteCopy::checkConnection(const QString &target, int timeoutMs)
{
    Check check;
    if (RcloneProcess::program().isEmpty()) {
        check.kind = Check::Kind::NoRclone;
        check.reason = message(Msg::CopyReasonNoRclone);
        return check;
    }
    if (const QString problem = targetProblem(target, timeoutMs); !problem.isEmpty()) {
        check.kind = Check::Kind::Failed;
        check.reason = problem;
        return check;
    }
    RcloneProcess process;
    const RcloneProcess::Result listed =
        process.run({QStringLiteral("lsd"), target.trimmed(), QStringLiteral("--retries=1")}, timeoutMs);
    if (listed.succeeded()) {
        check.kind = Check::Kind::Found;
        check.folders = static_cast<int>(listed.output.count('\n'));
    } else if (listed.exitCode == RcloneDirectoryNotFound) {
        check.kind = Check::Kind::FolderMissing;
    } else {
        check.kind = Check::Kind::Failed;
        check.reason =
            listed.timedOut
                ? MessageTable::fill(message(Msg::CopyReasonTimeout), {QString::number(timeoutMs / 1000)})
            : !listed.error.isEmpty()
                ? listed.error
                : MessageTable::fill(message(Msg::CopyReasonExitCode), {QString::number(listed.exitCode)});
    }
    return check;
}

QString RemoteCopy::text(const Result &result, const QString &target)
{
    if (!result.confirmed())
        return MessageTable::fill(message(Msg::CopyFailed), {target.trimmed(), result.reason});
    QString text = MessageTable::fill(message(Msg::CopyConfirmed), {result.remoteFile});
    if (!result.deleted.isEmpty())
        text += QStringLiteral("\r\n") + MessageTable::fill(message(Msg::CopyRemoteDeleted),
                                                            {result.deleted.join(QStringLiteral(", "))});
    if (!result.futureDated.isEmpty())
        text += QStringLiteral("\r\n") + MessageTable::fill(message(Msg::CopyRemoteFuture),
                                                            {result.futureDated.join(QStringLiteral(", "))});
    if (!result.retentionFailure.isEmpty())
        text += QStringLiteral("\r\n") +
                MessageTable::fill(message(Msg::CopyRemoteDeleteFailed), {result.retentionFailure});
    return text;
}

QString RemoteCopy::text(const Check &check, const QString &target)
{
    switch (check.kind) {
    case Check::Kind::Found:
        return MessageTable::fill(MessageTable::text(Msg::CheckConnectionFound, check.folders),
                                  {target.trimmed(), QString::number(check.folders)});
    case Check::Kind::FolderMissing:
        return MessageTable::fill(message(Msg::CheckConnectionFolderMissing), {target.trimmed()});
    case Check::Kind::Failed:
    case Check::Kind::NoRclone:
        return MessageTable::fill(message(Msg::CheckConnectionFailed), {target.trimmed(), check.reason});
    }
    return QString();
}

QString RemoteCopy::progressText(const QString &target, int percent)
{
    return MessageTable::fill(message(Msg::StatusSendingCopy), {target.trimmed(), QString::number(percent)});
}
