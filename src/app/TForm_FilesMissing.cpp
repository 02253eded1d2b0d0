#include "app/TForm_FilesMissing.h"

#include "config/MessageTable.h"
#include "config/ResourceModules.h"
#include "ui/WindowHelpers.h"

#include <QEvent>

#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>

TForm_FilesMissing::TForm_FilesMissing(const QString &applicationTitle, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint),
      m_applicationTitle(applicationTitle), Lista(new QPlainTextEdit(this)), OKButton(new QPushButton(this))
{
    RequireWindowDescription(staticMetaObject.className());
    setObjectName(QStringLiteral("Form_FilesMissing"));
    setFixedSize(705, 544);
    MakeModalTo(this, parent);
    setAutoFillBackground(true);

    Lista->setObjectName(QStringLiteral("Lista"));
    Lista->setGeometry(0, 0, 705, 481);
    Lista->setFrameShape(QFrame::NoFrame);
    Lista->setReadOnly(true);
    // Read-only without keyboard selection: the text area shows no caret.
    Lista->setTextInteractionFlags(Qt::TextSelectableByMouse);
    Lista->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Lista->setLineWrapMode(QPlainTextEdit::NoWrap);
    Lista->viewport()->setCursor(Qt::ArrowCursor);
    QFont listFont(QStringLiteral("Tahoma"));
    listFont.setPixelSize(13);
    Lista->setFont(listFont);
    QPalette white = Lista->palette();
    white.setColor(QPalette::Base, Qt::white);
    Lista->setPalette(white);

    OKButton->setObjectName(QStringLiteral("OKButton"));
    OKButton->setGeometry(557, 500, 114, 27);
    OKButton->setCursor(Qt::PointingHandCursor);
    OKButton->setDefault(true);
    connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);
    OKButton->setFocus();
    retranslateUi();

    // Centred on the main window when it has one, on the screen otherwise.
    if (parent) {
        const QRect owner = parent->frameGeometry();
        move(owner.left() + (owner.width() - width()) / 2, owner.top() + (owner.height() - height()) / 2);
    }
}

void TForm_FilesMissing::retranslateUi()
{
    setWindowTitle(m_applicationTitle + QStringLiteral(" - ") + MessageTable::text(Msg::TitleMissingFiles));
    OKButton->setText(tr("&Zatvori"));
    // The list has no caption of its own: a screen reader reads it by what the window says it is.
    Lista->setAccessibleName(MessageTable::text(Msg::TitleMissingFiles));
}

void TForm_FilesMissing::changeEvent(QEvent *event)
{
    QDialog::changeEvent(event);
    if (event->type() == QEvent::LanguageChange && HasWindowDescription(staticMetaObject.className()))
        retranslateUi();
}

void TForm_FilesMissing::setLines(const QStringList &lines)
{
    Lista->setPlainText(lines.join(QLatin1Char('\n')));
}

QStringList TForm_FilesMissing::lines() const
{
    return Lista->toPlainText().split(QLatin1Char('\n'));
}
