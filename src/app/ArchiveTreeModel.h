#pragma once

#include "run/ArchiveListing.h"

#include <QAbstractItemModel>
#include <QHash>
#include <QList>

#include <vector>

// An archive's entries as a folder tree, built from its central directory in one pass; the children of
// a folder are sorted (folders first) only when a view first asks for them, so an archive of 300,000
// entries opens without sorting or filtering what nobody looks at. Folders that the archive does not
// list themselves appear where its names need them. A filter keeps the entries whose own name holds
// the text, everything inside matching folders, and the folders on the way to them.
class ArchiveTreeModel : public QAbstractItemModel
{
    Q_OBJECT

  public:
    enum Column { NameColumn, SizeColumn, DateColumn, ColumnCount };

    explicit ArchiveTreeModel(QObject *parent = nullptr);

    // Shows the entries of a listing (replacing what was shown).
    void setListing(ArchiveListing listing);
    const ArchiveListing &listing() const { return m_listing; }
    // Shows only what matches the text, compared without case; empty shows everything.
    void setFilter(const QString &text);
    QString filter() const { return m_filter; }
    // How many items the filter shows; every item without a filter.
    int shownCount() const { return m_shownCount; }

    // The path of the item in the archive ("a/b/" for a folder, "a/b/c.txt" for a file).
    QString path(const QModelIndex &index) const;
    // The entries under the items (the items themselves included), in archive order, each once;
    // with a filter set, only those it shows.
    QList<int> entriesUnder(const QModelIndexList &indexes) const;
    // The item of an archive path, when it is shown.
    QModelIndex indexOfPath(const QString &path) const;
    // A size as the window shows it, in the current language: below 1024 in bytes with the plural form
    // the count takes ("1 bajt", "2 bajta", "5 bajtova"), above in the unit it reaches ("1,5 kB").
    static QString sizeText(qint64 bytes);

    QModelIndex index(int row, int column, const QModelIndex &parent = {}) const override;
    QModelIndex parent(const QModelIndex &child) const override;
    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

  private:
    struct Node
    {
        int parent = -1;
        int entry = -1; // -1: a folder the archive does not list itself
        bool folder = false;
        QString name;
        std::vector<int> children; // in archive order
        std::vector<int> rows;     // as shown: sorted, filtered; valid while rowsMade
        bool rowsMade = false;
    };

    int nodeOf(const QModelIndex &index) const;
    // Appends a node below parent and returns its index.
    int addNode(int parent, const QString &name, bool folder);
    int folderNode(const QString &folderPath);
    const std::vector<int> &rows(int node) const;
    void collect(int node, std::vector<char> &taken, QList<int> &entries) const;

    ArchiveListing m_listing;
    mutable std::vector<Node> m_nodes; // node 0 is the root
    mutable std::vector<int> m_rowOf;  // each node's row under its parent, as last shown
    QHash<QString, int> m_folders;     // folder path ("a/b/") to its node
    QString m_filter;
    std::vector<char> m_shown; // with a filter: whether each node is shown
    int m_shownCount = 0;
};
