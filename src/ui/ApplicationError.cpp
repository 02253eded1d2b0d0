#include "ui/ApplicationError.h"

#include "config/MessageTable.h"
#include "ui/MessageDialog.h"

#include <QCoreApplication>
#include <QDir>

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
    // The message dialog's layout, so that an error of any length keeps its button on the screen. It is
    // modal to its window only, so that the tray menu stays usable while the box is up.
    MessageDialog box(MessageDialogRequest{owner,
                                           QCoreApplication::applicationName(),
                                           text,
                                           TMsgDlgType::mtError,
                                           mbOK,
                                           {MessageTable::text(Msg::ButtonOk)}});
    box.show();
    box.placeOver(owner);
    box.exec();
}

QString ConfigErrorText(const EConfigError &failure)
{
    if (failure.operation() == EConfigError::Operation::Wait ||
        failure.operation() == EConfigError::Operation::CreateFolder)
        return failure.message();
    const quint16 number = failure.operation() == EConfigError::Operation::Read ? Msg::ErrorFileNotRead
                                                                                : Msg::ErrorFileNotWritten;
    QString text =
        MessageTable::fill(MessageTable::text(number), {QDir::toNativeSeparators(failure.fileName())});
    if (!failure.reason().isEmpty())
        text += QStringLiteral("\r\n\r\n") + failure.reason();
    return text;
}

void SetApplicationErrorHook(std::function<void(const QString &)> hook)
{
    ::hook() = std::move(hook);
}
