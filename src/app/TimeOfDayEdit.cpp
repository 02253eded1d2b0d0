#include "app/TimeOfDayEdit.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QRegularExpression>

TimeOfDayEdit::TimeOfDayEdit(QWidget *parent) : QTimeEdit(parent) {}

std::optional<QTime> TimeOfDayEdit::parseTime(const QString &text)
{
    static const QRegularExpression pattern(
        QStringLiteral("^\\s*(\\d{1,2})[:.](\\d{1,2})(?:[:.](\\d{1,2}))?\\s*$"));
    const QRegularExpressionMatch match = pattern.match(text);
    if (!match.hasMatch())
        return std::nullopt;
    const QTime time(match.captured(1).toInt(), match.captured(2).toInt(), match.captured(3).toInt());
    if (!time.isValid())
        return std::nullopt;
    return time;
}

void TimeOfDayEdit::keyPressEvent(QKeyEvent *event)
{
    if (event->matches(QKeySequence::Paste)) {
        m_movedOn = false;
        selectAllForPastedTime();
        QTimeEdit::keyPressEvent(event);
        return;
    }
    const QString text = event->text();
    const bool digit = text.size() == 1 && text.front().isDigit();
    const bool separator = text == QStringLiteral(":") || text == QStringLiteral(".");
    if (separator && m_movedOn) {
        // The field was complete and the cursor has moved on already: this separator is that move.
        m_movedOn = false;
        event->accept();
        return;
    }
    QLineEdit *edit = lineEdit();
    if (digit && edit->selectedText().contains(u':')) {
        // Typing over a selection of several fields (the whole time, as a click or Tab selects it)
        // starts in the first of them; QTimeEdit would refuse the digit as a time of its own.
        const int field = int(edit->text().left(edit->selectionStart()).count(u':'));
        setSelectedSection(sectionAt(field));
    }
    const int fieldBefore = currentSectionIndex();
    QTimeEdit::keyPressEvent(event);
    m_movedOn = digit && currentSectionIndex() != fieldBefore;
}

void TimeOfDayEdit::contextMenuEvent(QContextMenuEvent *event)
{
    selectAllForPastedTime();
    QTimeEdit::contextMenuEvent(event);
}

QValidator::State TimeOfDayEdit::validate(QString &input, int &pos) const
{
    const QValidator::State state = QTimeEdit::validate(input, pos);
    // A field being typed into is left to QTimeEdit; only what it refuses outright, a whole time pasted
    // in another spelling ("7:30", "07.30.00"), is put in the field's own form.
    if (state != QValidator::Invalid)
        return state;
    if (const std::optional<QTime> time = parseTime(input)) {
        input = time->toString(displayFormat());
        pos = int(input.size());
        return QTimeEdit::validate(input, pos);
    }
    return state;
}

void TimeOfDayEdit::selectAllForPastedTime()
{
    if (const QClipboard *clipboard = QGuiApplication::clipboard(); clipboard && parseTime(clipboard->text()))
        selectAll();
}
