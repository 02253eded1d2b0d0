#include "app/BackupListGrid.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>

BackupListGrid::BackupListGrid(QWidget *parent) : QTableWidget(0, 1, parent)
{
    horizontalHeader()->hide();
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(18);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    setColumnWidth(0, 610);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setShowGrid(true);
    setWordWrap(false);
    setTextElideMode(Qt::ElideNone);
    setRows({});
}

QStringList BackupListGrid::rows() const
{
    QStringList texts;
    for (int row = 0; row < rowCount(); ++row)
        texts.append(rowText(row));
    return texts;
}

void BackupListGrid::setRows(const QStringList &texts)
{
    // An empty list file is read as one empty line: that is the empty list, not an entry.
    const bool empty = texts.isEmpty() || (texts.size() == 1 && texts.constFirst().isEmpty());
    setRowCount(empty ? 0 : int(texts.size()));
    for (int row = 0; row < rowCount(); ++row)
        setRowText(row, texts.at(row));
    makeCurrent(0);
}

bool BackupListGrid::isListEmpty() const
{
    return rowCount() == 0;
}

int BackupListGrid::selectedRow() const
{
    if (isListEmpty())
        return -1;
    return std::clamp(currentRow(), 0, rowCount() - 1);
}

QString BackupListGrid::selectedEntry() const
{
    return rowText(selectedRow());
}

void BackupListGrid::addEntry(const QString &entry)
{
    for (int row = 0; row < rowCount(); ++row)
        if (rowText(row) == entry)
            return;
    const int row = rowCount();
    setRowCount(row + 1);
    setRowText(row, entry);
    makeCurrent(row);
}

void BackupListGrid::RemoveRows(int row, int count)
{
    if (row < 0 || row >= rowCount() || count < 1)
        return;
    const int removable = std::min(count, rowCount() - row);
    for (int i = 0; i < removable; ++i)
        removeRow(row);
    makeCurrent(std::min(row, rowCount() - 1));
}

void BackupListGrid::moveSelectedUp()
{
    const int row = selectedRow();
    if (row <= 0)
        return;
    const QString above = rowText(row - 1);
    setRowText(row - 1, rowText(row));
    setRowText(row, above);
    makeCurrent(row - 1);
}

void BackupListGrid::moveSelectedDown()
{
    const int row = selectedRow();
    if (row < 0 || row >= rowCount() - 1)
        return;
    const QString below = rowText(row + 1);
    setRowText(row + 1, rowText(row));
    setRowText(row, below);
    makeCurrent(row + 1);
}

void BackupListGrid::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Delete && event->modifiers() == Qt::NoModifier) {
        emit deletePressed();
        event->accept();
        return;
    }
    QTableWidget::keyPressEvent(event);
}

void BackupListGrid::mousePressEvent(QMouseEvent *event)
{
    // A right click selects the row under the pointer before the pop-up menu opens; over empty space
    // the selection stays.
    if (event->button() == Qt::RightButton) {
        const QModelIndex index = indexAt(event->position().toPoint());
        if (index.isValid())
            makeCurrent(index.row());
        event->accept();
        return;
    }
    QTableWidget::mousePressEvent(event);
}

void BackupListGrid::setRowText(int row, const QString &text)
{
    QTableWidgetItem *cell = item(row, 0);
    if (!cell) {
        cell = new QTableWidgetItem;
        cell->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        setItem(row, 0, cell);
    }
    cell->setText(text);
}

QString BackupListGrid::rowText(int row) const
{
    const QTableWidgetItem *cell = item(row, 0);
    return cell ? cell->text() : QString();
}

void BackupListGrid::makeCurrent(int row)
{
    // The empty list has no current row (-1, -1): nothing is selected.
    if (row >= rowCount())
        row = -1;
    setCurrentCell(row, row < 0 ? -1 : 0);
}
