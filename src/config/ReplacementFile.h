#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

struct stat;

// New contents for a file, written to a temporary file in the same folder and renamed over the old
// file only when every byte of it is on disk, so the file is at every moment wholly old or wholly
// new. A temporary file that never got its rename is removed, by this object or, when its process
// died first, by the next successful replacement of the same file.
class ReplacementFile
{
  public:
    explicit ReplacementFile(const QString &fileName);
    ~ReplacementFile();

    ReplacementFile(const ReplacementFile &) = delete;
    ReplacementFile &operator=(const ReplacementFile &) = delete;

    // Writes the bytes and puts them in the file's place; returns the system's error text, or
    // nothing on success. The new file keeps the old one's owner, group and permissions; where the owner
    // cannot be kept, that is a failure. On failure the old file is untouched. Call once.
    std::optional<QString> replaceWith(const QByteArray &bytes);

  private:
    std::optional<QString> createTemporary();
    std::optional<QString> keepOwnerAndMode(const struct stat &old);
    std::optional<QString> writeAll(const QByteArray &bytes);
    void removeStaleTemporaries() const;

    QString m_target;       // the file replaced: the given name, or where its symbolic links lead
    QByteArray m_temporary; // encoded name of the temporary file while it exists under that name
    int m_fd = -1;          // written through
    int m_lockFd = -1;      // holds the lock that tells other writers the temporary is in use
};
