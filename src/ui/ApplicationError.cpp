#include "ui/ApplicationError.h"

#include "config/MessageTable.h"

#include <QCoreApplication>
#include <QDir>
#include <QMessageBox>
#include <QPushButton>

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
    QMessageBox box(QMessageBox::Critical, QCoreApplication::applicationName(),
                    QString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")), QMessageBox::Ok,
                    owner);
    box.button(QMessageBox::Ok)->setText(MessageTable::text(Msg::ButtonOk));
    // Modal to its window only: the tray menu stays usable while the box is up.
    box.setWindowModality(owner ? Qt::WindowModal : Qt::ApplicationModal);
    box.exec();
}

QString ConfigErrorText(const EConfigError &failure)
{
    if (failure.operation() == EConfigError::Operation::Wait)
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
