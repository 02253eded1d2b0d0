#include "ui/OpenFileDialog.h"

#include "ModalDriver.h"
#include "TempTree.h"

#include <QAbstractItemView>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QPushButton>
#include <QTest>

// The real dialog, driven from inside its modal loop: what it lists, what it lets the user pick and what
// it returns.
class TestOpenFileDialog : public QObject
{
    Q_OBJECT

    static QAbstractItemView *listView(QWidget *dialog)
    {
        return dialog->findChild<QAbstractItemView *>(QStringLiteral("listView"));
    }

    // The names the dialog shows in its current folder.
    static QStringList listed(const QFileDialog *dialog, QFileSystemModel *model)
    {
        const QModelIndex folder = model->index(dialog->directory().absolutePath());
        QStringList names;
        for (int row = 0; row < model->rowCount(folder); ++row)
            names << model->index(row, 0, folder).data().toString();
        return names;
    }

    // Selects the named entries of the dialog's current folder and presses its confirm button;
    // returns the confirm button's caption.
    static QString pick(QWidget *modal, const QStringList &names)
    {
        auto *dialog = qobject_cast<QFileDialog *>(modal);
        QAbstractItemView *view = listView(dialog);
        auto *model = dialog->findChild<QFileSystemModel *>();
        if (!dialog || !view || !model) {
            modal->close();
            return QStringLiteral("<no file dialog>");
        }
        // The folder is read in the background: wait until the entries are there.
        for (const QString &name : names) {
            if (!QTest::qWaitFor([&] { return listed(dialog, model).contains(name); })) {
                dialog->reject();
                return QStringLiteral("<not listed: %1>").arg(name);
            }
        }
        view->clearSelection();
        for (const QString &name : names)
            view->selectionModel()->select(model->index(dialog->directory().filePath(name)),
                                           QItemSelectionModel::Select | QItemSelectionModel::Rows);
        QPushButton *accept = dialog->findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Open);
        const QString caption = accept->text();
        accept->click();
        return caption;
    }

  private slots:
    void severalFoldersAtOnce()
    {
        TempTree tree;
        const QString first = tree.makeDir(QStringLiteral("prva"));
        const QString second = tree.makeDir(QStringLiteral("druga"));
        OpenFileRequest request;
        request.kind = OpenFileRequest::Kind::Folders;
        request.title = QStringLiteral("Dodavanje mapa za arhiviranje (moguć odabir više mapa odjednom)");
        request.initialFolder = tree.root();
        request.acceptLabel = QStringLiteral("Dodaj...");
        QString caption;
        QString title;
        QAbstractItemView::SelectionMode mode = QAbstractItemView::NoSelection;
        const ModalDriver driver([&](QWidget *modal) {
            title = modal->windowTitle();
            mode = listView(modal)->selectionMode();
            caption = pick(modal, {QStringLiteral("prva"), QStringLiteral("druga")});
        });
        const std::optional<QStringList> chosen = OpenFileDialog::getNames(nullptr, request);

        QCOMPARE(title, request.title);
        QCOMPARE(mode, QAbstractItemView::ExtendedSelection);
        QCOMPARE(caption, QStringLiteral("Dodaj..."));
        QVERIFY(chosen);
        QStringList sorted = *chosen;
        sorted.sort();
        QCOMPARE(sorted, (QStringList{second, first}));
    }

    void hiddenFilesAreListed()
    {
        TempTree tree;
        const QString hidden = tree.writeFile(QStringLiteral(".skriveno"), "x");
        const QString plain = tree.writeFile(QStringLiteral("bez nastavka"), "x");
        OpenFileRequest request;
        request.kind = OpenFileRequest::Kind::Files;
        request.filter = QStringLiteral("Sve vrste datoteka (*)");
        request.initialFolder = tree.root();
        const ModalDriver driver([&](QWidget *modal) {
            pick(modal, {QStringLiteral(".skriveno"), QStringLiteral("bez nastavka")});
        });
        const std::optional<QStringList> chosen = OpenFileDialog::getNames(nullptr, request);

        QVERIFY(chosen);
        QStringList sorted = *chosen;
        sorted.sort();
        QCOMPARE(sorted, (QStringList{hidden, plain}));
    }

    void cancelledGivesNothing()
    {
        OpenFileRequest request;
        request.kind = OpenFileRequest::Kind::Folder;
        const ModalDriver driver([](QWidget *modal) { modal->close(); });
        QVERIFY(!OpenFileDialog::getNames(nullptr, request));
    }
};

QTEST_MAIN(TestOpenFileDialog)
#include "tst_OpenFileDialog.moc"
