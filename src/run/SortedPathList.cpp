#include "run/SortedPathList.h"

#include <QCollator>
#include <QCollatorSortKey>
#include <QLocale>

#include <algorithm>
#include <numeric>
#include <vector>

namespace {

// Sorts by key, exact comparison breaking ties, and drops exact duplicates (they end up side by side,
// since equal strings have equal keys). An index is sorted rather than the keys themselves, so the
// sort moves plain integers.
template <typename Key, typename MakeKey, typename CompareKeys>
void sortByKeys(QStringList &paths, MakeKey makeKey, CompareKeys compareKeys)
{
    std::vector<Key> keys;
    keys.reserve(paths.size());
    for (const QString &path : std::as_const(paths))
        keys.push_back(makeKey(path));

    std::vector<qsizetype> order(paths.size());
    std::iota(order.begin(), order.end(), qsizetype(0));
    std::sort(order.begin(), order.end(), [&](qsizetype a, qsizetype b) {
        const int byKey = compareKeys(keys[a], keys[b]);
        return byKey != 0 ? byKey < 0 : paths.at(a) < paths.at(b);
    });

    QStringList sorted;
    sorted.reserve(paths.size());
    for (const qsizetype index : order) {
        if (sorted.isEmpty() || sorted.constLast() != paths.at(index))
            sorted.append(paths.at(index));
    }
    paths = std::move(sorted);
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
