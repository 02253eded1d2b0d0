#include "ui/MyMessageDialog.h"

#include "ui/MessageDialog.h"

namespace {

MessageDialogHook &hook()
{
    static MessageDialogHook instance;
    return instance;
}

} // namespace

int MyMessageDialog(QWidget *owner, const QString &caption, const QString &text, TMsgDlgType type,
                    TMsgDlgButtons buttons, const QStringList &captions)
{
    const MessageDialogRequest request{owner, caption, text, type, buttons, captions};
    if (hook()) {
        if (const std::optional<int> answer = hook()(request))
            return *answer;
    }
    MessageDialog dialog(request);
    // Shown first: only a shown window knows the size of its frame, which the placement centres.
    dialog.show();
    dialog.placeOver(owner);
    return dialog.exec();
}

void SetMessageDialogHook(MessageDialogHook hook)
{
    ::hook() = std::move(hook);
}
