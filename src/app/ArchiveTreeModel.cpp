#include "app/ArchiveTreeModel.h"

#include "config/MessageTable.h"

#include <QCollator>
#include <QCoreApplication>
#include <QFileIconProvider>
#include <QLocale>

#include <algorithm>

namespace {

// The count of bytes with the plural form the current language gives it ("1 bajt", "2 bajta",
// "11 bajtova"; "1 byte", "2 bytes").
QString byteCount(int bytes)
{
    return MessageTable::fill(MessageTable::text(Msg::CountBytes, bytes), {QLocale().toString(bytes)});
}

} // namespace

ArchiveTreeModel::ArchiveTreeModel(QObject *parent) : QAbstractItemModel(parent)
{
    m_nodes.emplace_back();
    m_nodes[0].folder = true;
    m_rowOf.push_back(0);
}

void ArchiveTreeModel::setListing(ArchiveListing listing)
{
    beginResetModel();
    m_listing = std::move(listing);
    m_nodes.clear();
    m_nodes.emplace_back();
    m_nodes[0].folder = true;
    m_folders.clear();
    m_folders.insert(QString(), 0);
    m_shown.clear();
    m_filter.clear();
    const int count = m_listing.count();
    m_nodes.reserve(std::size_t(count) + 1);
    for (int i = 0; i < count; ++i) {
        const QString &name = m_listing.name(i);
        if (name.endsWith(QLatin1Char('/'))) {
            m_nodes[std::size_t(folderNode(name))].entry = i;
            continue;
        }
        const qsizetype slash = name.lastIndexOf(QLatin1Char('/'));
        m_nodes[std::size_t(addNode(folderNode(name.left(slash + 1)), name.mid(slash + 1), false))].entry = i;
    }
    m_rowOf.assign(m_nodes.size(), 0);
    m_shownCount = int(m_nodes.size()) - 1;
    endResetModel();
}

int ArchiveTreeModel::addNode(int parent, const QString &name, bool folder)
{
    Node node;
    node.parent = parent;
    node.folder = folder;
    node.name = name;
    m_nodes.push_back(std::move(node));
    const int added = int(m_nodes.size()) - 1;
    m_nodes[std::size_t(parent)].children.push_back(added);
    return added;
}

int ArchiveTreeModel::folderNode(const QString &folderPath)
{
    const auto found = m_folders.constFind(folderPath);
    if (found != m_folders.constEnd())
        return found.value();
    // "a/b/" lies in "a/".
    const QString inner = folderPath.chopped(1);
    const qsizetype slash = inner.lastIndexOf(QLatin1Char('/'));
    const int node = addNode(folderNode(inner.left(slash + 1)), inner.mid(slash + 1), true);
    m_folders.insert(folderPath, node);
    return node;
}

void ArchiveTreeModel::setFilter(const QString &text)
{
    beginResetModel();
    m_filter = text;
    for (Node &node : m_nodes) {
        node.rows.clear();
        node.rowsMade = false;
    }
    m_shown.clear();
    if (!text.isEmpty()) {
        // Nodes are made after their parents, so one pass decides "a matching folder holds it".
        m_shown.assign(m_nodes.size(), 0);
        for (std::size_t n = 1; n < m_nodes.size(); ++n) {
            const Node &node = m_nodes[n];
            m_shown[n] = node.name.contains(text, Qt::CaseInsensitive) ||
                         (node.parent > 0 && m_shown[std::size_t(node.parent)]);
        }
        m_shown[0] = 1;
        m_shownCount = 0;
        for (std::size_t n = 1; n < m_nodes.size(); ++n) {
            if (m_shown[n] != 1)
                continue;
            // The folders on the way, marked 2 so that they do not pass the match on to their contents.
            for (int up = m_nodes[n].parent; up > 0 && !m_shown[std::size_t(up)];
                 up = m_nodes[std::size_t(up)].parent)
                m_shown[std::size_t(up)] = 2;
        }
        m_shownCount =
            int(std::count_if(m_shown.begin() + 1, m_shown.end(), [](char shown) { return shown != 0; }));
    } else {
        m_shownCount = int(m_nodes.size()) - 1;
    }
    endResetModel();
}

const std::vector<int> &ArchiveTreeModel::rows(int node) const
{
    Node &folder = m_nodes[std::size_t(node)];
    if (folder.rowsMade)
        return folder.rows;
    folder.rows.clear();
    for (const int child : folder.children)
        if (m_shown.empty() || m_shown[std::size_t(child)])
            folder.rows.push_back(child);
    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    collator.setNumericMode(true);
    std::sort(folder.rows.begin(), folder.rows.end(), [&](int a, int b) {
        const Node &first = m_nodes[std::size_t(a)];
        const Node &second = m_nodes[std::size_t(b)];
        if (first.folder != second.folder)
            return first.folder;
        const int order = collator.compare(first.name, second.name);
        return order != 0 ? order < 0 : first.name < second.name;
    });
    for (std::size_t row = 0; row < folder.rows.size(); ++row)
        m_rowOf[std::size_t(folder.rows[row])] = int(row);
    folder.rowsMade = true;
    return folder.rows;
}

int ArchiveTreeModel::nodeOf(const QModelIndex &index) const
{
    return index.isValid() ? int(index.internalId()) : 0;
}

QModelIndex ArchiveTreeModel::index(int row, int column, const QModelIndex &parent) const
{
    if (column < 0 || column >= ColumnCount || row < 0)
        return {};
    const std::vector<int> &children = rows(nodeOf(parent));
    if (std::size_t(row) >= children.size())
        return {};
    return createIndex(row, column, quintptr(children[std::size_t(row)]));
}

QModelIndex ArchiveTreeModel::parent(const QModelIndex &child) const
{
    const int node = nodeOf(child);
    if (node == 0)
        return {};
    const int parent = m_nodes[std::size_t(node)].parent;
    if (parent <= 0)
        return {};
    return createIndex(m_rowOf[std::size_t(parent)], 0, quintptr(parent));
}

int ArchiveTreeModel::rowCount(const QModelIndex &parent) const
{
    if (parent.column() > 0)
        return 0;
    const int node = nodeOf(parent);
    if (!m_nodes[std::size_t(node)].folder)
        return 0;
    return int(rows(node).size());
}

int ArchiveTreeModel::columnCount(const QModelIndex &) const
{
    return ColumnCount;
}

QVariant ArchiveTreeModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid())
        return {};
    const Node &node = m_nodes[std::size_t(nodeOf(index))];
    if (role == Qt::DecorationRole && index.column() == NameColumn) {
        static const QFileIconProvider icons;
        return icons.icon(node.folder ? QFileIconProvider::Folder : QFileIconProvider::File);
    }
    if (role == Qt::TextAlignmentRole && index.column() == SizeColumn)
        return QVariant(Qt::AlignRight | Qt::AlignVCenter);
    if (role != Qt::DisplayRole)
        return {};
    switch (index.column()) {
    case NameColumn:
        return node.name;
    case SizeColumn:
        if (node.folder || node.entry < 0)
            return {};
        return sizeText(qint64(m_listing.size(node.entry)));
    case DateColumn:
        if (node.entry < 0)
            return {};
        return QLocale().toString(m_listing.modified(node.entry), QLocale::ShortFormat);
    }
    return {};
}

QString ArchiveTreeModel::sizeText(qint64 bytes)
{
    // Qt's own words for a count of bytes take no plural forms ("1 bytes", "1 bajtovi"); its units do
    // not need them.
    if (bytes < 1024)
        return byteCount(int(bytes));
    return QLocale().formattedDataSize(bytes, 1, QLocale::DataSizeTraditionalFormat);
}

QVariant ArchiveTreeModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    switch (section) {
    case NameColumn:
        return QCoreApplication::translate("TVracanjeDatoteka", "Naziv");
    case SizeColumn:
        return QCoreApplication::translate("TVracanjeDatoteka", "Veličina");
    case DateColumn:
        return QCoreApplication::translate("TVracanjeDatoteka", "Datum");
    }
    return {};
}

QString ArchiveTreeModel::path(const QModelIndex &index) const
{
    int node = nodeOf(index);
    if (node == 0)
        return QString();
    const Node &item = m_nodes[std::size_t(node)];
    if (item.entry >= 0)
        return m_listing.name(item.entry);
    QString result = item.name + QLatin1Char('/');
    for (node = item.parent; node > 0; node = m_nodes[std::size_t(node)].parent)
        result.prepend(m_nodes[std::size_t(node)].name + QLatin1Char('/'));
    return result;
}

void ArchiveTreeModel::collect(int node, std::vector<char> &taken, QList<int> &entries) const
{
    if (!m_shown.empty() && !m_shown[std::size_t(node)])
        return;
    const Node &item = m_nodes[std::size_t(node)];
    if (item.entry >= 0 && !taken[std::size_t(item.entry)]) {
        taken[std::size_t(item.entry)] = 1;
        entries << item.entry;
    }
    for (const int child : item.children)
        collect(child, taken, entries);
}

QList<int> ArchiveTreeModel::entriesUnder(const QModelIndexList &indexes) const
{
    std::vector<char> taken(std::size_t(m_listing.count()), 0);
    QList<int> entries;
    for (const QModelIndex &index : indexes)
        collect(nodeOf(index), taken, entries);
    std::sort(entries.begin(), entries.end());
    return entries;
}

QModelIndex ArchiveTreeModel::indexOfPath(const QString &path) const
{
    QModelIndex current;
    const QStringList parts = path.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    for (const QString &part : parts) {
        const int count = rowCount(current);
        QModelIndex next;
        for (int row = 0; row < count && !next.isValid(); ++row) {
            const QModelIndex candidate = index(row, 0, current);
            if (m_nodes[std::size_t(nodeOf(candidate))].name == part)
                next = candidate;
        }
        if (!next.isValid())
            return {};
        current = next;
    }
    return current;
}
