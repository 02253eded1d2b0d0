#include "ui/WindowHelpers.h"

#include "platform/FileManager.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QFont>
#include <QPalette>
#include <QPointer>
#include <QWidget>
#include <QWindow>

#include <algorithm>

namespace {

const char *const guardName = "CloseButtonGuard";

// Refuses every close request of the window it watches.
class CloseGuard : public QObject
{
  public:
    explicit CloseGuard(QWidget *window) : QObject(window) { setObjectName(QLatin1String(guardName)); }

  protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Close) {
            // An accepted close event would close the window even though the event was filtered.
            event->ignore();
            return true;
        }
        return QObject::eventFilter(watched, event);
    }
};

CloseGuard *guardOf(const QWidget *window)
{
    return window->findChild<CloseGuard *>(QLatin1String(guardName), Qt::FindDirectChildrenOnly);
}

// Only the platform window's flags change, which the window manager follows at once: changing the
// widget's own flags would hide the window and create it anew.
void setCloseHint(QWidget *window, bool enabled)
{
    if (QWindow *handle = window->windowHandle())
        handle->setFlag(Qt::WindowCloseButtonHint, enabled);
}

} // namespace

void CloseButtonDisable(QWidget *window)
{
    if (!window || guardOf(window))
        return;
    window->installEventFilter(new CloseGuard(window));
    setCloseHint(window, false);
}

void CloseButtonEnable(QWidget *window)
{
    if (!window)
        return;
    if (CloseGuard *guard = guardOf(window)) {
        window->removeEventFilter(guard);
        guard->deleteLater();
        guard->setObjectName(QString());
    }
    setCloseHint(window, true);
}

bool CloseButtonEnabled(const QWidget *window)
{
    return window && !guardOf(window);
}

bool FormExists(const QWidget *window)
{
    if (!window)
        return false;
    const QWidgetList widgets = QApplication::allWidgets();
    return std::any_of(widgets.cbegin(), widgets.cend(),
                       [window](const QWidget *existing) { return existing == window; });
}

bool SelectFileInExplorer(FileManager &fileManager, const QString &path)
{
    return fileManager.ShowItem(path);
}

void CloseWindowSafely(QPointer<QWidget> &window)
{
    QWidget *const existing = window.data();
    window.clear();
    if (!existing)
        return;
    const auto *dialog = qobject_cast<QDialog *>(existing);
    const bool shownModally = existing->isVisible() && (existing->isModal() || (dialog && dialog->isModal()));
    if (shownModally) {
        // Destroying it now would pull the window out from under its own modal loop.
        existing->close();
        return;
    }
    existing->deleteLater();
}

void MakeModalTo(QWidget *dialog, QWidget *window)
{
    if (!window) {
        dialog->setWindowModality(Qt::ApplicationModal);
        return;
    }
    dialog->setWindowModality(Qt::WindowModal);
    if (dialog->parentWidget())
        return;
    // Created now, so that the window manager knows whom the dialog belongs to when it is shown.
    dialog->winId();
    window->window()->winId();
    dialog->windowHandle()->setTransientParent(window->window()->windowHandle());
}

QFont UseBoxLook(QWidget *box)
{
    QPalette white = box->palette();
    white.setColor(QPalette::Window, Qt::white);
    box->setPalette(white);
    box->setAutoFillBackground(true);
    QFont boxFont(QStringLiteral("Tahoma"));
    boxFont.setPixelSize(11);
    box->setFont(boxFont);
    QFont bold = boxFont;
    bold.setBold(true);
    return bold;
}
