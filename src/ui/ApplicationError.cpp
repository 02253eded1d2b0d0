#include "ui/ApplicationError.h"

#include <QCoreApplication>
#include <QMessageBox>

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
    QMessageBox box(QMessageBox::Critical, QCoreApplication::applicationName(), text, QMessageBox::Ok, owner);
    box.exec();
}

void SetApplicationErrorHook(std::function<void(const QString &)> hook)
{
    ::hook() = std::move(hook);
}
