#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// A list of paths kept in ascending order of the user's locale, compared without regard to letter case;
// paths that compare equal that way are ordered by exact comparison. A path is the file system's bytes,
// which need not be valid UTF-8; the order uses its decoded text. Only exactly equal bytes are
// duplicates: file systems here are case-sensitive, so "a.txt" and "A.txt" are two entries, and a name
// that does not decode is never mistaken for a valid name that decodes to the same text.
//
// Adding is cheap: paths are gathered as they come and put in order once, when the list is next read.
// The list belongs to one thread; reading it may reorder it, so it must not be read from two threads.
class SortedPathList
{
  public:
    // Adds a path given as the file system's bytes; a path exactly equal to one already held is dropped.
    void add(const QByteArray &localPath);
    // Adds a path given as text (encoded as the file system names it).
    void add(const QString &path);
    // Adds every path of another list.
    void add(const SortedPathList &other);
    // Removes every path.
    void clear();

    // Number of distinct paths held.
    qsizetype size() const;
    // Whether the list holds no path.
    bool isEmpty() const { return m_localPaths.isEmpty(); }
    // The distinct paths in ascending order, as the file system's bytes.
    const QList<QByteArray> &localPaths() const;
    // The same paths as text, for showing and reporting (bytes that do not decode become U+FFFD).
    const QStringList &paths() const;
    // The path at a position of the ascending order, as text.
    const QString &at(qsizetype index) const { return paths().at(index); }

    QStringList::const_iterator begin() const { return paths().cbegin(); }
    QStringList::const_iterator end() const { return paths().cend(); }

  private:
    void putInOrder() const;

    // Unordered and possibly holding duplicates until putInOrder() has run; m_texts follows the order.
    mutable QList<QByteArray> m_localPaths;
    mutable QStringList m_texts;
    mutable bool m_ordered = true;
};
