#include "run/SortedPathList.h"

#include <QCollator>
#include <QCollatorSortKey>
#include <QLocale>

#include <algorithm>
#include <vector>

namespace
{

template <typename Key>
struct KeyedPath
{
    Key key;
    QString path;
};

// Sorts by key, exact comparison breaking ties, and drops exact duplicates (they end up side by side,
// since equal strings have equal keys).
template <typename Key, typename MakeKey, typename CompareKeys>
void sortByKeys(QStringList &paths, MakeKey makeKey, CompareKeys compareKeys)
{
    std::vector<KeyedPath<Key>> keyed;
    keyed.reserve(paths.size());
    for (const QString &path : std::as_const(paths))
        keyed.push_back({makeKey(path), path});

    std::sort(keyed.begin(), keyed.end(), [&](const KeyedPath<Key> &a, const KeyedPath<Key> &b) {
        const int order = compareKeys(a.key, b.key);
        return order != 0 ? order < 0 : a.path < b.path;
    });

    paths.clear();
    paths.reserve(keyed.size());
    for (const KeyedPath<Key> &entry : keyed) {
        if (paths.isEmpty() || paths.constLast() != entry.path)
            paths.append(entry.path);
    }
}

void sortPaths(QStringList &paths)
{
    // Made here, on the thread that sorts: a collator must not be shared between threads.
    QCollator collator{QLocale()};
    collator.setCaseSensitivity(Qt::CaseInsensitive);

    if (collator.locale().language() == QLocale::C) {
        // Qt's sort keys for the C locale are the raw UTF-8 bytes whatever the case setting, so the
        // case-insensitive order is made from case-folded text instead.
        sortByKeys<QString>(
            paths, [](const QString &path) { return path.toCaseFolded(); },
            [](const QString &a, const QString &b) { return QString::compare(a, b, Qt::CaseSensitive); });
        return;
    }

    // One sort key per path: comparing keys is a byte comparison, far cheaper than collating the
    // two strings again at every step of the sort.
    sortByKeys<QCollatorSortKey>(
        paths, [&collator](const QString &path) { return collator.sortKey(path); },
        [](const QCollatorSortKey &a, const QCollatorSortKey &b) { return a.compare(b); });
}

} // namespace

void SortedPathList::add(const QString &path)
{
    m_paths.append(path);
    m_ordered = false;
}

void SortedPathList::add(const SortedPathList &other)
{
    if (other.m_paths.isEmpty())
        return;
    m_paths.append(other.m_paths);
    m_ordered = false;
}

void SortedPathList::clear()
{
    m_paths.clear();
    m_ordered = true;
}

qsizetype SortedPathList::size() const
{
    return paths().size();
}

const QStringList &SortedPathList::paths() const
{
    putInOrder();
    return m_paths;
}

void SortedPathList::putInOrder() const
{
    if (m_ordered)
        return;
    sortPaths(m_paths);
    m_ordered = true;
}
