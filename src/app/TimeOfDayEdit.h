#pragma once

#include <QTimeEdit>

#include <optional>

// The time of the daily run (hh:mm:ss). Unlike a plain QTimeEdit it takes a whole time typed or pasted
// over a selection: typed into the selected field, "07:30:00", "7:30" and "07.30.00" give the time
// typed. A separator (":" or ".") moves to the next field unless a completed field has just moved
// there by itself; a modifier key alone (Shift for ":") changes nothing; a click selects the field
// clicked, so that digits typed next replace it.
class TimeOfDayEdit : public QTimeEdit
{
    Q_OBJECT

  public:
    explicit TimeOfDayEdit(QWidget *parent = nullptr);

    // A whole time as a user types or pastes it: "7:30", "07:30:00", "7.30.00"; nothing otherwise.
    static std::optional<QTime> parseTime(const QString &text);

  protected:
    void keyPressEvent(QKeyEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    QValidator::State validate(QString &input, int &pos) const override;
    bool eventFilter(QObject *watched, QEvent *event) override;

  private:
    void moveToNextFieldForSeparator();
    // A paste of a whole time replaces the whole field, whatever part of it is selected.
    void selectAllForPastedTime();

    // The last typed digit completed a field and moved on to the next one.
    bool m_movedOn = false;
};
