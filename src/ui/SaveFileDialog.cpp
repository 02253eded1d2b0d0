#include "ui/SaveFileDialog.h"

#include <QFileDialog>

namespace {

SaveFileDialog::Hook &hook()
{
    static SaveFileDialog::Hook instance;
    return instance;
}

} // namespace

std::optional<QString> SaveFileDialog::getSaveFileName(QWidget *parent, const SaveFileRequest &request)
{
    if (hook())
        return hook()(request);
    QFileDialog dialog(parent, request.title, request.folder);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilter(request.filter);
    dialog.setDefaultSuffix(request.defaultSuffix);
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    dialog.selectFile(request.fileName);
    // Modal to its window only: the tray menu stays usable while the dialog is up.
    dialog.setWindowModality(parent ? Qt::WindowModal : Qt::ApplicationModal);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().constFirst();
}

void SaveFileDialog::setHook(Hook hook)
{
    ::hook() = std::move(hook);
}
