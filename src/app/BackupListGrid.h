#pragma once

#include <QStringList>
#include <QTableWidget>

// The settings window's one-column list of the files and folders to back up, one row per entry: the
// empty list has no rows. The current row is the selected entry that removal, moving and locating act
// on; a list with entries always has one, the empty list none.
class BackupListGrid : public QTableWidget
{
    Q_OBJECT

  public:
    explicit BackupListGrid(QWidget *parent = nullptr);

    // The rows' texts, row 0 first.
    QStringList rows() const;
    // Replaces the rows (a list of one empty text is the empty list) and selects row 0, if any.
    void setRows(const QStringList &rows);
    // Whether the list has no entries.
    bool isListEmpty() const;

    // The selected row, -1 in the empty list.
    int selectedRow() const;
    QString selectedEntry() const;

    // Adds an entry as a new last row unless a row holds exactly the same text (case-sensitive); then
    // selects the row that holds it.
    void addEntry(const QString &entry);
    // Removes count rows from row on: later rows move up. The selection stays at its index, or on the
    // new last row; removing every row leaves the empty list with nothing selected.
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
