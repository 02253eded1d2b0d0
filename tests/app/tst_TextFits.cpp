#include "app/TForm_FilesMissing.h"
#include "app/TGasenjeBox.h"
#include "app/TGlavni.h"
#include "app/TVracanjeDatoteka.h"
#include "config/ResourceModules.h"

#include "BilingualWindowFixture.h"
#include "FakeDesktop.h"
#include "ModalDriver.h"
#include "ModuleFiles.h"
#include "TempTree.h"
#include "zip/TZipFile.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QDir>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScopeGuard>
#include <QStyle>
#include <QTest>
#include <QTreeView>
#include <QTreeWidget>

namespace {

constexpr int captionSpace = 2;

// With ARKIVODA_PICTURE_DIR set, each window checked is also saved there as a picture named for the
// window, the language and the scale, so that a person can look at every window as the test saw it.
void savePicture(QWidget *window, const QString &name, const QString &jezik)
{
    const QString folder = qEnvironmentVariable("ARKIVODA_PICTURE_DIR");
    if (folder.isEmpty())
        return;
    QDir().mkpath(folder);
    const QString scale = QString::number(window->devicePixelRatioF());
    const QString file =
        QStringLiteral("%1/%2_%3_%4x.png").arg(folder, QString(name).replace(u' ', u'-'), jezik, scale);
    QVERIFY2(window->grab().save(file), qPrintable(file));
}

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

// The columns of a window's lists that are cut short: a header narrower than its caption, a column
// narrower than what its shown rows hold, and a column that starts or ends outside the list's visible
// width.
QStringList clippedColumns(QWidget *window)
{
    QStringList clipped;
    for (QTreeView *view : window->findChildren<QTreeView *>()) {
        if (!view->isVisibleTo(window))
            continue;
        const QHeaderView *header = view->header();
        const QAbstractItemView *contents = view;
        for (int column = 0; column < header->count(); ++column) {
            if (header->isSectionHidden(column))
                continue;
            const QString name = view->objectName() + QLatin1Char(' ') +
                                 view->model()->headerData(column, Qt::Horizontal).toString();
            const int width = header->sectionSize(column);
            if (header->sectionSizeHint(column) > width)
                clipped << QStringLiteral("%1: header needs %2, has %3")
                               .arg(name)
                               .arg(header->sectionSizeHint(column))
                               .arg(width);
            if (contents->sizeHintForColumn(column) > width)
                clipped << QStringLiteral("%1: contents need %2, have %3")
                               .arg(name)
                               .arg(contents->sizeHintForColumn(column))
                               .arg(width);
            const int start = header->sectionViewportPosition(column);
            if (start < 0 || start + width > view->viewport()->width())
                clipped << QStringLiteral("%1: at %2-%3 of a list %4 wide")
                               .arg(name)
                               .arg(start)
                               .arg(start + width)
                               .arg(view->viewport()->width());
        }
    }
    return clipped;
}

// An archive in the folder the restore window lists, with entries whose sizes read as bytes in each
// plural form and as larger units.
void makeRestoreArchive(const QString &path)
{
    TZipFile zip;
    zip.Open(QFile::encodeName(path).toStdString(), zmWrite);
    for (const auto &[name, size] : {std::pair<std::string, std::size_t>{"home/ana/Dokumenti/jedan.txt", 1},
                                     {"home/ana/Dokumenti/dva.txt", 2},
                                     {"home/ana/Dokumenti/jedanaest.txt", 11},
                                     {"home/ana/Dokumenti/tisucu.txt", 1000},
                                     {"home/ana/Slike/more.png", 3u << 20}})
        zip.Add(TBytes(size, 'x'), name);
    zip.Close();
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
        const auto check = [&clipped, &jezik](const QString &name, QWidget *shown) {
            for (const QString &caption : clippedCaptions(shown))
                clipped << name + QStringLiteral(": ") + caption;
            savePicture(shown, name, jezik);
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
        // The restore window with an archive chosen and its folders open, its numbers written as on a
        // Croatian desktop (longer than the C locale's: "1.000", "3,0 MB").
        const QLocale locale;
        QLocale::setDefault(QLocale(QLocale::Croatian, QLocale::Croatia));
        const auto restoreLocale = qScopeGuard([&locale] { QLocale::setDefault(locale); });
        makeRestoreArchive(fixture.tree.path(QStringLiteral("arhiva/Arkivoda_2024.03.15__14.05.09.zip")));
        window.MM_VracanjeClick();
        auto *restore = qobject_cast<TVracanjeDatoteka *>(window.restoreWindow());
        QVERIFY(restore);
        auto *archives = restore->findChild<QTreeWidget *>(QStringLiteral("LV_Arhive"));
        QVERIFY(archives && archives->topLevelItemCount() == 1);
        archives->setCurrentItem(archives->topLevelItem(0));
        QVERIFY(!restore->archivePath().isEmpty());
        restore->findChild<QTreeView *>(QStringLiteral("TV_Sadrzaj"))->expandAll();
        check(QStringLiteral("restore window"), restore);
        for (const QString &column : clippedColumns(restore))
            clipped << QStringLiteral("restore window: ") + column;
        restore->close();

        QVERIFY2(clipped.isEmpty(), qPrintable(clipped.join(u'\n')));
    }
};

QTEST_MAIN(TestTextFits)
#include "tst_TextFits.moc"
