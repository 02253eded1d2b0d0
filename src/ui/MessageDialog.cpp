#include "ui/MessageDialog.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QStyle>
#include <QTextDocument>
#include <QTextEdit>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <array>
#include <cmath>

namespace {

struct ButtonKind
{
    TMsgDlgBtn kind;
    int result;
    const char *caption;
};

// In the order in which the buttons stand in the dialog.
constexpr std::array<ButtonKind, 12> buttonKinds = {{
    {mbYes, mrYes, "&Yes"},
    {mbNo, mrNo, "&No"},
    {mbOK, mrOk, "OK"},
    {mbCancel, mrCancel, "Cancel"},
    {mbAbort, mrAbort, "&Abort"},
    {mbRetry, mrRetry, "&Retry"},
    {mbIgnore, mrIgnore, "&Ignore"},
    {mbAll, mrAll, "&All"},
    {mbNoToAll, mrNoToAll, "N&o to All"},
    {mbYesToAll, mrYesToAll, "Yes to &All"},
    {mbHelp, mrNone, "&Help"},
    {mbClose, mrClose, "&Close"},
}};

QStyle::StandardPixmap iconOf(TMsgDlgType type)
{
    switch (type) {
    case TMsgDlgType::mtWarning:
        return QStyle::SP_MessageBoxWarning;
    case TMsgDlgType::mtError:
        return QStyle::SP_MessageBoxCritical;
    case TMsgDlgType::mtInformation:
        return QStyle::SP_MessageBoxInformation;
    case TMsgDlgType::mtConfirmation:
        return QStyle::SP_MessageBoxQuestion;
    }
    return QStyle::SP_MessageBoxInformation;
}

// Laying out one run of characters without a break grows with the square of its length (a 200 KB line
// would hold the program for minutes), and no one reads that much in a dialog: a longer line, and the
// text beyond the total, are cut short and end in an ellipsis.
constexpr qsizetype maxShownLine = 4096;
constexpr qsizetype maxShownText = 64 * 1024;

// The first characters of a text, never half of a surrogate pair.
QString head(const QString &text, qsizetype size)
{
    return text.left(size > 0 && text.at(size - 1).isHighSurrogate() ? size - 1 : size);
}

QString shownText(const QString &text)
{
    const QChar ellipsis(0x2026);
    QString shown;
    const QStringList lines =
        QString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")).split(u'\n');
    for (qsizetype i = 0; i < lines.size(); ++i) {
        QString line =
            lines.at(i).size() > maxShownLine ? head(lines.at(i), maxShownLine) + ellipsis : lines.at(i);
        if (i > 0)
            line.prepend(u'\n');
        if (shown.size() + line.size() > maxShownText)
            return shown + head(line, maxShownText - shown.size()) + ellipsis;
        shown += line;
    }
    return shown;
}

// Sizes the text to its lines, wrapped at word boundaries (inside a word only when it alone is
// wider than the limit), at most limit in size: a text taller than that scrolls.
void fitText(QTextEdit *text, const QSize &limit)
{
    // Measured on a document of its own: the widget's document keeps the layout of the widget's
    // present size.
    QTextDocument probe;
    probe.setDefaultFont(text->font());
    probe.setDocumentMargin(0);
    QTextOption option = probe.defaultTextOption();
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    probe.setDefaultTextOption(option);
    probe.setPlainText(text->toPlainText());
    const int natural = static_cast<int>(std::ceil(probe.idealWidth()));
    int width = std::min(natural, limit.width());
    probe.setTextWidth(width);
    const int height = static_cast<int>(std::ceil(probe.size().height()));
    if (height <= limit.height()) {
        text->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        text->setFixedSize(width, height);
        return;
    }
    const int scrollBar = text->verticalScrollBar()->sizeHint().width();
    width = std::min(natural, limit.width() - scrollBar);
    text->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    text->setFixedSize(width + scrollBar, limit.height());
}

} // namespace

MessageDialog::MessageDialog(const MessageDialogRequest &request) : QDialog(request.owner)
{
    setWindowTitle(request.caption);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    // Modal to its owner's window only, so that the tray menu stays usable while it is up.
    setWindowModality(request.owner ? Qt::WindowModal : Qt::ApplicationModal);

    auto *icon = new QLabel(this);
    icon->setObjectName(QStringLiteral("icon"));
    const int iconSize = style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, this);
    icon->setPixmap(style()->standardIcon(iconOf(request.type), nullptr, this).pixmap(iconSize, iconSize));
    icon->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    // Read-only text that looks like a label: selectable and copied as a label's is, but wrapped
    // inside a word that is too long for a line, and scrolled when it is too tall for the screen.
    auto *text = new QTextEdit(this);
    text->setObjectName(QStringLiteral("text"));
    text->setReadOnly(true);
    text->setTextInteractionFlags(Qt::TextSelectableByMouse);
    text->setFocusPolicy(Qt::ClickFocus);
    text->setFrameShape(QFrame::NoFrame);
    text->viewport()->setAutoFillBackground(false);
    text->setLineWrapMode(QTextEdit::WidgetWidth);
    text->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    text->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    text->document()->setDocumentMargin(0);
    text->setPlainText(shownText(request.text));

    auto *row = new QHBoxLayout;
    row->addStretch();
    qsizetype captionIndex = 0;
    for (const ButtonKind &kind : buttonKinds) {
        if (!request.buttons.testFlag(kind.kind))
            continue;
        // The captions go to the buttons present, in button order; the rest keep their own.
        const QString caption = captionIndex < request.captions.size() ? request.captions.at(captionIndex)
                                                                       : QString::fromLatin1(kind.caption);
        ++captionIndex;
        auto *button = new QPushButton(caption, this);
        m_buttons.emplace(kind.kind, button);
        row->addWidget(button);
        if (kind.kind != mbHelp) {
            const int result = kind.result;
            connect(button, &QPushButton::clicked, this, [this, result] { done(result); });
        }
    }
    row->addStretch();

    QPushButton *defaultButton = button(mbOK)    ? button(mbOK)
                                 : button(mbYes) ? button(mbYes)
                                                 : button(mbRetry);
    if (defaultButton) {
        defaultButton->setDefault(true);
        defaultButton->setFocus();
    }
    m_cancelButton = button(mbCancel) ? button(mbCancel) : button(mbNo) ? button(mbNo) : button(mbOK);

    // The dialog stays within about 60% of the screen's width and its text within half its height,
    // whatever the text: the buttons below it are always on the screen.
    const QScreen *screen = request.owner ? request.owner->screen() : QGuiApplication::primaryScreen();
    const QSize available = screen ? screen->availableGeometry().size() : QSize(1024, 768);
    const int margins = 16 + 16 + 16; // left, right and between icon and text
    fitText(text, QSize(std::max(200, available.width() * 6 / 10 - iconSize - margins),
                        std::max(100, available.height() / 2)));

    auto *message = new QHBoxLayout;
    message->setSpacing(16);
    message->addWidget(icon, 0, Qt::AlignTop);
    message->addWidget(text);
    // A row of buttons wider than icon and text leaves its surplus after the text, not between the two.
    message->addStretch(1);
    auto *layout = new QVBoxLayout(this);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    layout->setContentsMargins(16, 16, 16, 12);
    layout->setSpacing(16);
    layout->addLayout(message);
    layout->addLayout(row);
}

QPushButton *MessageDialog::button(TMsgDlgBtn kind) const
{
    const auto found = m_buttons.find(kind);
    return found == m_buttons.end() ? nullptr : found->second;
}

void MessageDialog::placeOver(const QWidget *owner)
{
    centreOver(owner);
    // A window manager frames the window after it is mapped, and says how wide the frame is a little
    // later (10-20 pixels off centre otherwise): the dialog is centred again once its frame is known.
    const QPointer<const QWidget> guardedOwner(owner);
    for (const int ms : {50, 250}) {
        QTimer::singleShot(ms, this, [this, guardedOwner, hadOwner = owner != nullptr] {
            if ((hadOwner && !guardedOwner) || frameGeometry().size() == m_placedFrame)
                return;
            centreOver(guardedOwner);
        });
    }
}

void MessageDialog::centreOver(const QWidget *owner)
{
    const QSize size = frameGeometry().size();
    m_placedFrame = size;
    if (!owner) {
        const QScreen *screen = QGuiApplication::primaryScreen();
        if (screen)
            move(screen->availableGeometry().center() - QPoint(size.width() / 2, size.height() / 2));
        return;
    }
    // A minimised or hidden window keeps its normal rectangle: the dialog stands where it was shown.
    const QRect frame = owner->frameGeometry();
    move(frame.left() + (frame.width() - size.width()) / 2,
         frame.top() + (frame.height() - size.height()) / 2);
}

int MessageDialog::resultOf(TMsgDlgBtn kind)
{
    for (const ButtonKind &entry : buttonKinds)
        if (entry.kind == kind)
            return entry.result;
    return mrNone;
}

QString MessageDialog::defaultCaption(TMsgDlgBtn kind)
{
    for (const ButtonKind &entry : buttonKinds)
        if (entry.kind == kind)
            return QString::fromLatin1(entry.caption);
    return QString();
}

void MessageDialog::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        // Escape presses the cancelling button; a dialog without one stays open.
        if (m_cancelButton)
            m_cancelButton->click();
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void MessageDialog::reject()
{
    // Reached only through the close box (Escape is handled above): its result is mrCancel.
    done(mrCancel);
}
