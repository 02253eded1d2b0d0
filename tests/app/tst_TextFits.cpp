#include "app/TForm_FilesMissing.h"
#include "app/TGasenjeBox.h"
#include "app/TGlavni.h"
#include "config/ResourceModules.h"

#include "BilingualWindowFixture.h"
#include "FakeDesktop.h"
#include "ModalDriver.h"
#include "ModuleFiles.h"
#include "TempTree.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QTest>

namespace {

constexpr int captionSpace = 2;

// The captions of a window that its fixed layout cuts short: a label or a check box narrower than its
// text needs, a word-wrapped label lower than its lines, a push button narrower than its caption (with
// its icon and the style's margins), and a caption that runs into a control beside it. Each is named
// with the text it cuts.
QStringList clippedCaptions(QWidget *window)
{
    QStringList clipped;
    const auto report = [&clipped](const QWidget *widget, const QString &text, const QSize &needed) {
        clipped << QStringLiteral("%1 \"%2\": needs %3x%4, has %5x%6")
                       .arg(widget->objectName(), text)
                       .arg(needed.width())
                       .arg(needed.height())
                       .arg(widget->width())
                       .arg(widget->height());
    };
    for (QWidget *widget : window->findChildren<QWidget *>()) {
        if (auto *label = qobject_cast<QLabel *>(widget)) {
            if (label->text().isEmpty() || !label->pixmap().isNull())
                continue;
            const QSize hint = label->sizeHint();
            if (label->wordWrap() ? label->heightForWidth(label->width()) > label->height()
                                  : hint.width() > label->width())
                report(label, label->text(), hint);
        } else if (qobject_cast<QCheckBox *>(widget) || qobject_cast<QRadioButton *>(widget)) {
            const auto *box = static_cast<QAbstractButton *>(widget);
            if (!box->text().isEmpty() && box->sizeHint().width() > box->width())
                report(box, box->text(), box->sizeHint());
        } else if (auto *button = qobject_cast<QPushButton *>(widget)) {
            if (button->text().isEmpty())
                continue;
            QString caption = button->text();
            caption.remove(QLatin1Char('&'));
            // The style's margin and frame, both sides together, as it sizes a push button.
            const QStyle *style = button->style();
            const int margin = style->pixelMetric(QStyle::PM_ButtonMargin, nullptr, button) +
                               2 * style->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, button);
            const int icon = button->icon().isNull() ? 0 : button->iconSize().width() + 4;
            const QSize needed(button->fontMetrics().horizontalAdvance(caption) + icon + margin,
                               button->fontMetrics().height());
            if (needed.width() > button->width())
                report(button, caption, needed);
        }
    }
    // A label's text must not reach into a visible neighbour, nor touch it: a few pixels keep a caption
    // apart from the control beside it.
    for (const QLabel *label : window->findChildren<QLabel *>()) {
        if (!label->isVisibleTo(window) || label->text().isEmpty() || label->wordWrap())
            continue;
        const QRect text = QRect(label->pos(), QSize(label->sizeHint().width(), label->height()))
                               .adjusted(-captionSpace, 0, captionSpace, 0);
        for (const QObject *sibling : label->parentWidget()->children()) {
            const auto *other = qobject_cast<const QWidget *>(sibling);
            if (other && other != label && other->isVisibleTo(window) && !other->isWindow() &&
                text.intersects(other->geometry()))
                clipped << QStringLiteral("%1 \"%2\" runs into %3")
                               .arg(label->objectName(), label->text(), other->objectName());
        }
    }
    return clipped;
}

} // namespace

// Every window is laid out at fixed places, made for one font at one scale. Run once as it is and once
// with QT_SCALE_FACTOR=2, in both languages, no caption may be cut short.
class TestTextFits : public QObject
{
    Q_OBJECT

    using Fixture = BilingualWindowFixture;

  private slots:
    void initTestCase() { QCoreApplication::setApplicationName(QStringLiteral("Arkivoda")); }

    void noCaptionIsCutShort_data()
    {
        QTest::addColumn<QString>("jezik");
        QTest::newRow("Croatian") << QStringLiteral("HR");
        QTest::newRow("English") << QStringLiteral("EN");
    }

    void noCaptionIsCutShort()
    {
        QFETCH(QString, jezik);
        QVERIFY(QFile::exists(ModuleFiles::builtModule(QStringLiteral("ENU"))));
        Fixture fixture(jezik);
        TGlavni &window = *fixture.window;
        QStringList clipped;
        const auto check = [&clipped](const QString &name, QWidget *shown) {
            for (const QString &caption : clippedCaptions(shown))
                clipped << name + QStringLiteral(": ") + caption;
        };
        // The main window with the run's controls too, which it hides while idle.
        check(QStringLiteral("main window"), &window);

        const ModalDriver settings([&check](QWidget *settingsWindow) {
            check(QStringLiteral("settings window"), settingsWindow);
            static_cast<QDialog *>(settingsWindow)->reject();
        });
        window.MM_ListaClick();
        QVERIFY(settings.acted());

        const ModalDriver about([&check](QWidget *aboutBox) {
            check(QStringLiteral("About box"), aboutBox);
            aboutBox->close();
        });
        window.MM_OprogramuClick();
        QVERIFY(about.acted());

        TForm_FilesMissing missing(QStringLiteral("Arkivoda"), &window);
        missing.setLines({QStringLiteral("/nema/a.txt")});
        missing.show();
        check(QStringLiteral("missing files"), &missing);

        for (const EndOfRunAction action :
             {EndOfRunAction::Close, EndOfRunAction::Shutdown, EndOfRunAction::LogOff}) {
            TGasenjeBox countdown(action, 20000, &window);
            countdown.show();
            check(QStringLiteral("countdown"), &countdown);
        }
        QVERIFY2(clipped.isEmpty(), qPrintable(clipped.join(u'\n')));
    }
};

QTEST_MAIN(TestTextFits)
#include "tst_TextFits.moc"
