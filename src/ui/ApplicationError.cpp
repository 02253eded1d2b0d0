#include "ui/ApplicationError.h"

#include "ui/MessageDialog.h"

#include <QCoreApplication>

namespace {

std::function<void(const QString &)> &hook()
{
    static std::function<void(const QString &)> instance;
    return instance;
}

} // namespace

void ShowApplicationError(QWidget *owner, const QString &text)
{
    if (hook()) {
        hook()(text);
        return;
    }
    // The message dialog's layout, so that an error of any length keeps its button on the screen; the
    // button keeps its own caption, since the message table may be what failed.
    MessageDialog box(MessageDialogRequest{
        owner, QCoreApplication::applicationName(), text, TMsgDlgType::mtError, mbOK, {}});
    box.show();
    box.placeOver(owner);
    box.exec();
}

void SetApplicationErrorHook(std::function<void(const QString &)> hook)
{
    ::hook() = std::move(hook);
}
