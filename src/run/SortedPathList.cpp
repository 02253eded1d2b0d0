#include "run/SortedPathList.h"

#include <QCollator>
#include <QCollatorSortKey>
#include <QFile>
#include <QLocale>

#include <algorithm>
#include <numeric>
#include <vector>

namespace {

// Sorts by the key of each path's text, exact comparison of the bytes breaking ties, and drops exact
// duplicates (they end up side by side, since equal bytes have equal keys). An index is sorted rather
// than the keys themselves, so the sort moves plain integers.
template <typename Key, typename MakeKey, typename CompareKeys>
void sortByKeys(QList<QByteArray> &paths, QStringList &texts, MakeKey makeKey, CompareKeys compareKeys)
{
    std::vector<Key> keys;
    keys.reserve(texts.size());
    for (const QString &text : std::as_const(texts))
        keys.push_back(makeKey(text));

    std::vector<qsizetype> order(paths.size());
    std::iota(order.begin(), order.end(), qsizetype(0));
    std::sort(order.begin(), order.end(), [&](qsizetype a, qsizetype b) {
        const int byKey = compareKeys(keys[a], keys[b]);
        if (byKey != 0)
            return byKey < 0;
        const int byText = QString::compare(texts.at(a), texts.at(b), Qt::CaseSensitive);
        return byText != 0 ? byText < 0 : paths.at(a) < paths.at(b);
    });

    QList<QByteArray> sortedPaths;
    QStringList sortedTexts;
    sortedPaths.reserve(paths.size());
    sortedTexts.reserve(paths.size());
    for (const qsizetype index : order) {
        if (sortedPaths.isEmpty() || sortedPaths.constLast() != paths.at(index)) {
            sortedPaths.append(paths.at(index));
            sortedTexts.append(texts.at(index));
        }
    }
    paths = std::move(sortedPaths);
    texts = std::move(sortedTexts);
}

void sortPaths(QList<QByteArray> &paths, QStringList &texts)
{
    // Made here, on the thread that sorts: a collator must not be shared between threads.
    QCollator collator{QLocale()};
    collator.setCaseSensitivity(Qt::CaseInsensitive);

    if (collator.locale().language() == QLocale::C) {
        // Qt's sort keys for the C locale are the raw UTF-8 bytes whatever the case setting, so the
        // case-insensitive order is made from case-folded text instead.
        sortByKeys<QString>(
            paths, texts, [](const QString &text) { return text.toCaseFolded(); },
            [](const QString &a, const QString &b) { return QString::compare(a, b, Qt::CaseSensitive); });
        return;
    }

    // One sort key per path: comparing keys is a byte comparison, far cheaper than collating the
    // two strings again at every step of the sort.
    sortByKeys<QCollatorSortKey>(
        paths, texts, [&collator](const QString &text) { return collator.sortKey(text); },
        [](const QCollatorSortKey &a, const QCollatorSortKey &b) { return a.compare(b); });
}

} // namespace

void SortedPathList::add(const QByteArray &localPath)
{
    m_localPaths.append(localPath);
    m_texts.append(QFile::decodeName(localPath));
    m_ordered = false;
}

void SortedPathList::add(const QString &path)
{
    add(QFile::encodeName(path));
}

void SortedPathList::add(const SortedPathList &other)
{
    if (other.m_localPaths.isEmpty())
        return;
    m_localPaths.append(other.m_localPaths);
    m_texts.append(other.m_texts);
    m_ordered = false;
}

void SortedPathList::clear()
{
    m_localPaths.clear();
    m_texts.clear();
    m_ordered = true;
}

qsizetype SortedPathList::size() const
{
    return localPaths().size();
}

const QList<QByteArray> &SortedPathList::localPaths() const
{
    putInOrder();
    return m_localPaths;
}

const QStringList &SortedPathList::paths() const
{
    putInOrder();
    return m_texts;
}

void SortedPathList::putInOrder() const
{
    if (m_ordered)
        return;
    sortPaths(m_localPaths, m_texts);
    m_ordered = true;
}
