#include "app/TGasenjeBox.h"

#include "config/MessageTable.h"
#include "config/ResourceModules.h"
#include "ui/WindowHelpers.h"
#include "ui_TGasenjeBox.h"

#include <QKeyEvent>
#include <QPainter>

#include <cmath>

namespace {

std::chrono::milliseconds tickInterval{1000};

constexpr int frameWidth = 5;

QString actionText(EndOfRunAction action)
{
    switch (action) {
    case EndOfRunAction::Close:
        return MessageTable::text(Msg::CountdownClose);
    case EndOfRunAction::Shutdown:
        return MessageTable::text(Msg::CountdownShutdown);
    case EndOfRunAction::LogOff:
        return MessageTable::text(Msg::CountdownLogoff);
    case EndOfRunAction::None:
        break;
    }
    return QString();
}

QString secondsText(int seconds)
{
    return QString::number(seconds) + QStringLiteral(" s");
}

} // namespace

void TGasenjeBox::setTickInterval(std::chrono::milliseconds interval)
{
    tickInterval = interval;
}

TGasenjeBox::TGasenjeBox(EndOfRunAction action, int lengthMs, const QWidget *centreOn)
    : QDialog(nullptr, Qt::Dialog | Qt::FramelessWindowHint), ui(std::make_unique<Ui::TGasenjeBox>())
{
    RequireWindowDescription(staticMetaObject.className());
    ui->setupUi(this);
    setObjectName(QStringLiteral("GasenjeBox"));
    setFixedSize(437, 158);
    const QFont bold = UseBoxLook(this);
    ui->LBL_TimeLeft->setFont(bold);
    // The cancel button is the one control that takes the focus, so Enter always cancels.
    ui->BTN_Cancel->setFocus();
    connect(ui->BTN_Cancel, &QPushButton::clicked, this, &TGasenjeBox::BTN_CancelClick);
    connect(&CloseTimer, &QTimer::timeout, this, &TGasenjeBox::CloseTimerTimer);

    const QString what = actionText(action);
    if (!what.isEmpty())
        ui->LBL_pwr->setText(MessageTable::text(Msg::CountdownText) + QLatin1Char(' ') + what);
    SecondsLeft = static_cast<int>(std::lround(lengthMs / 1000.0));
    ui->LBL_TimeLeft->setText(secondsText(SecondsLeft));
    --SecondsLeft;

    if (centreOn) {
        const QRect owner = centreOn->frameGeometry();
        move(owner.left() + (owner.width() - width()) / 2, owner.top() + (owner.height() - height()) / 2);
    }
    CloseTimer.start(tickInterval);
}

TGasenjeBox::~TGasenjeBox() = default;

void TGasenjeBox::CloseTimerTimer()
{
    if (SecondsLeft > 0) {
        ui->LBL_TimeLeft->setText(secondsText(SecondsLeft));
        ui->LBL_TimeLeft->repaint();
        --SecondsLeft;
        return;
    }
    accept();
}

void TGasenjeBox::BTN_CancelClick()
{
    m_cancelled = true;
    reject();
}

void TGasenjeBox::paintEvent(QPaintEvent *event)
{
    QDialog::paintEvent(event);
    QPainter painter(this);
    const QColor red(Qt::red);
    const int w = width();
    const int h = height();
    painter.fillRect(0, 0, w, frameWidth, red);
    painter.fillRect(0, h - frameWidth, w, frameWidth, red);
    painter.fillRect(0, 0, frameWidth, h, red);
    painter.fillRect(w - frameWidth, 0, frameWidth, h, red);
}

void TGasenjeBox::keyPressEvent(QKeyEvent *event)
{
    // Escape would close the box without cancelling, and the action would follow at once: only the
    // button (or Enter, which presses it) ends the countdown early.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TGasenjeBox::done(int result)
{
    CloseTimer.stop();
    QDialog::done(result);
}
