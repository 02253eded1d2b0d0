#include "app/MainWindowLook.h"

#include "ui_TGlavni.h"

#include <QIcon>
#include <QMainWindow>
#include <QPainter>
#include <QPainterPath>

namespace {

QIcon buttonImage(const QString &resource)
{
    // The button shows the same image when it is disabled.
    const QPixmap image(resource);
    QIcon icon;
    icon.addPixmap(image, QIcon::Normal);
    icon.addPixmap(image, QIcon::Disabled);
    return icon;
}

} // namespace

QIcon ProgramIcon()
{
    QIcon icon;
    for (const int size : {16, 22, 32, 48, 64})
        icon.addFile(QStringLiteral(":/icons/arkivoda_%1.png").arg(size), QSize(size, size));
    return icon;
}

QIcon ProgramWarningIcon()
{
    QIcon icon;
    for (const int size : {16, 22, 32, 48, 64}) {
        QPixmap image(QStringLiteral(":/icons/arkivoda_%1.png").arg(size));
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        // A yellow triangle with a dark edge and "!" over the lower right part of the icon.
        const qreal side = size * 0.6;
        const QRectF box(size - side, size - side, side, side);
        QPainterPath triangle;
        triangle.moveTo(box.center().x(), box.top());
        triangle.lineTo(box.bottomRight());
        triangle.lineTo(box.bottomLeft());
        triangle.closeSubpath();
        painter.setPen(QPen(QColor(0x40, 0x30, 0x00), std::max(1.0, size / 16.0)));
        painter.setBrush(QColor(0xf5, 0xc2, 0x11));
        painter.drawPath(triangle);
        painter.setPen(
            QPen(QColor(0x20, 0x20, 0x20), std::max(1.0, size / 12.0), Qt::SolidLine, Qt::RoundCap));
        const qreal x = box.center().x();
        painter.drawLine(QPointF(x, box.top() + side * 0.35), QPointF(x, box.top() + side * 0.65));
        painter.drawPoint(QPointF(x, box.top() + side * 0.82));
        painter.end();
        icon.addPixmap(image);
    }
    return icon;
}

void ApplyMainWindowLook(Ui::TGlavni &ui, QMainWindow &window)
{
    window.setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint);
    window.setWindowIcon(ProgramIcon());

    QPalette white = window.palette();
    white.setColor(QPalette::Window, Qt::white);
    ui.Client->setPalette(white);
    ui.Client->setAutoFillBackground(true);
    ui.Panel->setPalette(white);
    QFont windowFont(QStringLiteral("Tahoma"));
    windowFont.setPixelSize(11);
    ui.Client->setFont(windowFont);
    QFont labelFont(QStringLiteral("MS Sans Serif"));
    labelFont.setPixelSize(11);
    for (QLabel *label : {ui.LBL_MapaArhiva, ui.LBL_Status})
        label->setFont(labelFont);
    labelFont.setBold(true);
    for (QLabel *label : {ui.Label1, ui.Label4, ui.LB_D, ui.LB_U})
        label->setFont(labelFont);
    QPalette link = ui.LokacijaA->palette();
    link.setColor(QPalette::WindowText, QColor(0x00, 0x00, 0x80));
    ui.LokacijaA->setPalette(link);
    ui.LokacijaR->setPalette(link);
    ui.AutoZ->setIcon(buttonImage(QStringLiteral(":/icons/automatsko_64.png")));
    ui.RucnaZ->setIcon(buttonImage(QStringLiteral(":/icons/rucno_64.png")));
    ui.Client->setFixedSize(736, 492);
    window.setFixedSize(736, 492 + window.menuBar()->sizeHint().height());
    FitMainWindowLabels(ui);
}

void FitMainWindowLabels(Ui::TGlavni &ui)
{
    // The layout is made for narrow fonts; a wider one must not cut a caption short.
    const auto fit = [](QWidget *widget) {
        const int available = widget->parentWidget()->width() - widget->x();
        const int wanted = std::max(widget->width(), widget->sizeHint().width());
        widget->resize(std::min(wanted, available), widget->height());
    };
    for (QWidget *widget : std::initializer_list<QWidget *>{ui.Label1, ui.Label4, ui.LabelA, ui.LabelR,
                                                            ui.CB_Close, ui.CB_Shutdown, ui.CB_Logoff})
        fit(widget);
}
