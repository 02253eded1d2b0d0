#pragma once

#include <QList>
#include <QSet>
#include <QString>

#include <atomic>
#include <cstdint>
#include <functional>

class ArchiveListing;

// Where one archive entry is restored: below folder, at relativePath ("/" between names, a folder's
// ending in "/").
struct RestoreItem
{
    int index = -1;
    QString folder;
    QString relativePath;

    bool operator==(const RestoreItem &other) const = default;
};

// Restores entries of one archive into files and folders. Each file is written under a temporary name
// and renamed into place after its size and CRC-32 checked out, so a failed entry leaves an older file
// of its name whole; entries the archive reader refuses (escaping names, links, encryption, unknown
// methods) are reported as failed and never written. Runs on any thread; QtCore only, so the command
// line uses it without a display.
class RestoreJob
{
  public:
    // What happens to a file that already exists at an entry's place.
    enum class Existing { Ask, Replace, Skip, KeepBoth };

    // The answer to the question about an existing file; forAll answers every later one too.
    struct Answer
    {
        Existing choice = Existing::Skip;
        bool forAll = false;
        bool stop = false; // the user ended the restore instead
    };

    struct Failure
    {
        QString name; // the entry's name in the archive
        QString reason;
    };

    struct Result
    {
        int restored = 0;    // files written
        QStringList skipped; // entries whose existing file was kept
        QList<Failure> failed;
        bool stopped = false; // the restore was stopped before its end
        // Temporary files that an earlier restore, killed while it wrote them, left in the folders this
        // one wrote to; they are named, not removed.
        QStringList leftovers;
        // Whether every file and folder asked for was restored.
        bool complete() const { return skipped.isEmpty() && failed.isEmpty() && !stopped; }
    };

    // Where the work stands, for a view to show.
    struct Progress
    {
        qint64 bytesDone = 0;
        qint64 bytesTotal = 0;
        int entriesDone = 0;
        int entriesTotal = 0;
        QString current; // the entry being restored
    };

    RestoreJob(QString archivePath, QList<RestoreItem> items, Existing existing);

    // Asked on the job's thread whenever a file exists and no answer for all was given yet (Existing::Ask).
    void setQuestion(std::function<Answer(const QString &path)> question)
    {
        m_question = std::move(question);
    }
    // Told on the job's thread when an entry starts and as its bytes are written.
    void setProgress(std::function<void(const Progress &)> progress) { m_progress = std::move(progress); }
    // Asks a running restore to stop; the file being written is dropped. Any thread.
    void requestStop() { m_stop = true; }

    // Restores every item; failures are recorded, not raised. An archive that cannot be opened fails
    // every item with the archive's reason.
    Result run();

    // The items that restore the entries below the folder commonParent ("" or ending in "/") into
    // target, each at its name without that parent.
    static QList<RestoreItem> planBelow(const ArchiveListing &listing, const QList<int> &entries,
                                        const QString &commonParent, const QString &target);
    // The items that restore the entries to where they were archived from: an entry name is the
    // absolute path without its first "/".
    static QList<RestoreItem> planOriginal(const ArchiveListing &listing, const QList<int> &entries);
    // The deepest folder ("" or ending in "/") that holds every one of the names.
    static QString commonParent(const QStringList &names);
    // The name a kept-both file gets: the suffix before the extension ("a (vraćeno).txt"), and from
    // the second on a number ("a (vraćeno 2).txt").
    static QString keepBothName(const QString &fileName, const QString &suffix, int attempt);

  private:
    bool restoreFile(class TZipFile &zip, const RestoreItem &item, const QString &name, Result &result);
    bool restoreFolder(class TZipFile &zip, const RestoreItem &item, const QString &name, Result &result);
    Existing decide(const QString &path);

    QString m_archivePath;
    QList<RestoreItem> m_items;
    Existing m_existing;
    std::function<Answer(const QString &)> m_question;
    std::function<void(const Progress &)> m_progress;
    std::atomic<bool> m_stop{false};
    Progress m_state;
    QSet<QString> m_written; // the files this restore wrote or kept, so that no second entry replaces one
};
