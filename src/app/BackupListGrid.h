#pragma once

#include <QStringList>
#include <QTableWidget>

// The settings window's one-column list of the files and folders to back up. It always has at least
// one row: the empty list is a single empty row. The current row is the selected entry that removal,
// moving and locating act on; there is always one.
class BackupListGrid : public QTableWidget
{
    Q_OBJECT

  public:
    explicit BackupListGrid(QWidget *parent = nullptr);

    // The rows' texts, row 0 first.
    QStringList rows() const;
    // Replaces the rows (an empty list gives the one empty row) and selects row 0.
    void setRows(const QStringList &rows);
    // Whether the list is empty: at most one row, and row 0 empty.
    bool isListEmpty() const;

    int selectedRow() const;
    QString selectedEntry() const;

    // Adds an entry unless a row holds exactly the same text (case-sensitive): into row 0 of the
    // empty list, else as a new last row; then selects the row that holds it.
    void addEntry(const QString &entry);
    // Removes count rows from row on: later rows move up, and the list keeps at least its one
    // (then empty) row. The selection stays at its index, or on the new last row.
    void RemoveRows(int row, int count);
    // Swaps the selected entry with its neighbour above or below and selects it there; nothing at
    // the edge.
    void moveSelectedUp();
    void moveSelectedDown();

  signals:
    // The Delete key was pressed in the list.
    void deletePressed();

  protected:
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;

  private:
    void setRowText(int row, const QString &text);
    QString rowText(int row) const;
    void makeCurrent(int row);
};
