#pragma once

#include <QString>
#include <QStringList>

// A list of paths kept in ascending order of the user's locale, compared without regard to letter case;
// paths that compare equal that way are ordered by exact comparison. Only exactly equal paths are
// duplicates: file systems here are case-sensitive, so "a.txt" and "A.txt" are two entries.
//
// Adding is cheap: paths are gathered as they come and put in order once, when the list is next read.
// The list belongs to one thread; reading it may reorder it, so it must not be read from two threads.
class SortedPathList
{
  public:
    // Adds a path; a path exactly equal to one already held is dropped.
    void add(const QString &path);
    // Adds every path of another list.
    void add(const SortedPathList &other);
    // Removes every path.
    void clear();

    // Number of distinct paths held.
    qsizetype size() const;
    // Whether the list holds no path.
    bool isEmpty() const { return m_paths.isEmpty(); }
    // The distinct paths in ascending order.
    const QStringList &paths() const;
    // The path at a position of the ascending order.
    const QString &at(qsizetype index) const { return paths().at(index); }

    QStringList::const_iterator begin() const { return paths().cbegin(); }
    QStringList::const_iterator end() const { return paths().cend(); }

  private:
    void putInOrder() const;

    // Unordered and possibly holding duplicates until putInOrder() has run.
    mutable QStringList m_paths;
    mutable bool m_ordered = true;
};
