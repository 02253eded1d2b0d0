#include "app/TimeOfDayEdit.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QRegularExpression>

#include <utility>

namespace {

// Keys that only change what the next key types: ':' needs Shift on Croatian and English keyboards.
bool isModifierKey(int key)
{
    switch (key) {
    case Qt::Key_Shift:
    case Qt::Key_Control:
    case Qt::Key_Meta:
    case Qt::Key_Alt:
    case Qt::Key_AltGr:
    case Qt::Key_CapsLock:
    case Qt::Key_NumLock:
    case Qt::Key_Super_L:
    case Qt::Key_Super_R:
    case Qt::Key_Hyper_L:
    case Qt::Key_Hyper_R:
    case Qt::Key_Mode_switch:
        return true;
    default:
        return false;
    }
}

} // namespace

TimeOfDayEdit::TimeOfDayEdit(QWidget *parent) : QTimeEdit(parent)
{
    lineEdit()->installEventFilter(this);
}

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
    if (isModifierKey(event->key())) {
        // A modifier pressed alone types nothing and moves nothing; what was typed before it still
        // counts for the separator that follows.
        event->ignore();
        return;
    }
    const QString text = event->text();
    const bool digit = text.size() == 1 && text.front().isDigit();
    if (text == QStringLiteral(":") || text == QStringLiteral(".")) {
        event->accept();
        moveToNextFieldForSeparator();
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

void TimeOfDayEdit::moveToNextFieldForSeparator()
{
    // A field completed by its digits has moved on already: this separator is that move.
    if (std::exchange(m_movedOn, false))
        return;
    const int next = currentSectionIndex() + 1;
    if (next < sectionCount())
        setSelectedSection(sectionAt(next));
}

bool TimeOfDayEdit::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == lineEdit() && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton && !lineEdit()->hasSelectedText()) {
        // A click selects the field clicked, so that digits typed next replace it; a text selected by
        // dragging stays as it is.
        QLineEdit *edit = lineEdit();
        const int field = int(edit->text().left(edit->cursorPosition()).count(u':'));
        m_movedOn = false;
        setSelectedSection(sectionAt(std::min(field, sectionCount() - 1)));
    }
    return QTimeEdit::eventFilter(watched, event);
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
