#include "ui/OpenFileDialog.h"

#include <QAbstractItemView>
#include <QFileDialog>

namespace {

OpenFileDialog::Hook &hook()
{
    static OpenFileDialog::Hook instance;
    return instance;
}

} // namespace

std::optional<QStringList> OpenFileDialog::getNames(QWidget *parent, const OpenFileRequest &request)
{
    if (hook())
        return hook()(request);
    QFileDialog dialog(parent, request.title, request.initialFolder);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    switch (request.kind) {
    case OpenFileRequest::Kind::Files:
        dialog.setFileMode(QFileDialog::ExistingFiles);
        dialog.setNameFilter(request.filter);
        dialog.setFilter(dialog.filter() | QDir::Hidden);
        break;
    case OpenFileRequest::Kind::Folders:
        // The desktop's folder dialogs (and the portal's) pick one folder; Qt's own picks several.
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        dialog.setFileMode(QFileDialog::Directory);
        dialog.setOption(QFileDialog::ShowDirsOnly);
        // Qt's folder mode picks one folder; its views allow more once they select extended.
        for (QAbstractItemView *view :
             dialog.findChildren<QAbstractItemView *>(QStringLiteral("listView")) +
                 dialog.findChildren<QAbstractItemView *>(QStringLiteral("treeView")))
            view->setSelectionMode(QAbstractItemView::ExtendedSelection);
        break;
    case OpenFileRequest::Kind::Folder:
        dialog.setFileMode(QFileDialog::Directory);
        dialog.setOption(QFileDialog::ShowDirsOnly);
        break;
    }
    if (!request.acceptLabel.isEmpty())
        dialog.setLabelText(QFileDialog::Accept, request.acceptLabel);
    // Modal to its window only: the tray menu stays usable while the dialog is up.
    dialog.setWindowModality(parent ? Qt::WindowModal : Qt::ApplicationModal);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles();
}

void OpenFileDialog::setHook(Hook hook)
{
    ::hook() = std::move(hook);
}
