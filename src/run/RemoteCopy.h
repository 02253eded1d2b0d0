#pragma once

#include "run/BackupAttempt.h"
#include "run/RcloneProcess.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>

class ArchiveRecord;
struct ProgramSettings;

// The copy of an archive at a remote store, through rclone: the archive is sent as "<name>.part",
// confirmed there by the listing's size (and hash, where the remote offers one) and only then given its
// name, so that a name without ".part" at the target always holds a confirmed copy. Then the oldest
// copies of the configuration beyond the number kept are deleted. The local archive is only ever read.
// Both front ends send through this class and word its result through text().
class RemoteCopy : public QObject
{
    Q_OBJECT

  public:
    enum class Outcome {
        Confirmed, // sent and confirmed under its name at the target
        NoRclone,  // rclone is not installed
        Failed,    // rclone failed (unreachable, refused, quota, ...) or the copy did not match
        Stopped,   // stopped by the user
    };

    struct Result
    {
        Outcome outcome = Outcome::Failed;
        QString remoteFile;       // the copy's full remote path
        QString reason;           // why it failed, in words
        QStringList deleted;      // copies deleted at the target to keep the number set
        QStringList futureDated;  // copies there dated after this archive and the clock: kept, not counted
        QString retentionFailure; // why deleting them failed; the copy itself still counts

        bool confirmed() const { return outcome == Outcome::Confirmed; }
    };

    // The answer of the settings window's connection check.
    struct Check
    {
        enum class Kind { Found, FolderMissing, Failed, NoRclone };
        Kind kind = Kind::Failed;
        int folders = 0;
        QString reason;
    };

    RemoteCopy(const QString &target, int keep, QObject *parent = nullptr);

    // Whether the end of a run sends its archive: a target is set and the run layer's outcome says
    // the archive is complete and sound. A stopped, forced or failed run sends nothing.
    static bool wanted(const ProgramSettings &settings, BackupAttempt::Outcome outcome);

    // Called with the whole percent sent, about once a second while the archive is being sent.
    void setProgressHandler(std::function<void(int)> handler) { m_progress = std::move(handler); }
    // Sends the archive and returns when it is confirmed, or why not. Then, with a record (when the
    // archive may replace older ones), applies RetentionPlan's rule to the copies the record knows as
    // prefix's automatic archives; without one nothing at the target is deleted. Events are served
    // meanwhile.
    Result send(const QString &archive, const QString &prefix, const ArchiveRecord *retention);
    // The stop button: ends the rclone command under way; the copy counts as stopped.
    void stop();
    bool sending() const { return m_sending; }

    // target + "/" + name, with no second separator after "remote:" or a trailing "/".
    static QString remotePath(const QString &target, const QString &name);
    // Whether target can take copies: "remote:path" of a remote rclone knows (rclone listremotes), or an
    // absolute folder path; anything else (a bare "nas" would be a folder below the working folder) is
    // refused. Empty when it can, else why not, in words. Without rclone only the form is checked.
    static QString targetProblem(const QString &target, int timeoutMs = 20000);
    // Lists the target's folders (rclone lsd) within timeoutMs, once targetProblem() finds none.
    static Check checkConnection(const QString &target, int timeoutMs = 20000);

    // The result as the summary, the tray and the command line say it, in the current language.
    static QString text(const Result &result, const QString &target);
    static QString text(const Check &check, const QString &target);
    // The status line while the archive is sent.
    static QString progressText(const QString &target, int percent);

  private:
    Result fail(Result result, const RcloneProcess::Result &step) const;
    QString reasonOf(const RcloneProcess::Result &step) const;
    // Deletes the copy under its ".part" name after a failure or stop, as far as the remote allows.
    void removePart(const QString &part);
    void applyRetention(Result &result, const QString &prefix, const ArchiveRecord &known);

    QString m_target;
    int m_keep;
    RcloneProcess m_remote;
    RcloneProcess m_local;
    std::function<void(int)> m_progress;
    bool m_sending = false;
    bool m_stopRequested = false;
};
