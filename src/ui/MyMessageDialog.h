#pragma once

#include <QFlags>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

class QWidget;

// The kind of a message dialog, shown by its icon.
enum class TMsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation };

// The buttons a message dialog can have; the order of the values is their order in the dialog, from
// left to right, and the order in which captions are handed out.
enum TMsgDlgBtn : unsigned {
    mbYes = 1u << 0,
    mbNo = 1u << 1,
    mbOK = 1u << 2,
    mbCancel = 1u << 3,
    mbAbort = 1u << 4,
    mbRetry = 1u << 5,
    mbIgnore = 1u << 6,
    mbAll = 1u << 7,
    mbNoToAll = 1u << 8,
    mbYesToAll = 1u << 9,
    mbHelp = 1u << 10,
    mbClose = 1u << 11,
};
Q_DECLARE_FLAGS(TMsgDlgButtons, TMsgDlgBtn)
Q_DECLARE_OPERATORS_FOR_FLAGS(TMsgDlgButtons)

// The results of the buttons; the close box gives mrCancel.
enum TModalResult : int {
    mrNone = 0,
    mrOk = 1,
    mrCancel = 2,
    mrAbort = 3,
    mrRetry = 4,
    mrIgnore = 5,
    mrYes = 6,
    mrNo = 7,
    mrClose = 8,
    mrAll = 12,
    mrNoToAll = 13,
    mrYesToAll = 14,
};

// One call of MyMessageDialog, as its caller made it.
struct MessageDialogRequest
{
    QWidget *owner = nullptr;
    QString caption;
    QString text;
    TMsgDlgType type = TMsgDlgType::mtInformation;
    TMsgDlgButtons buttons;
    QStringList captions;
};

// The one modal dialog for every question, warning and error: the caller's caption and button
// captions, the buttons in their fixed order, centred over the owner. Returns the pressed button's
// result, or mrCancel when the dialog was closed by its close box.
int MyMessageDialog(QWidget *owner, const QString &caption, const QString &text, TMsgDlgType type,
                    TMsgDlgButtons buttons, const QStringList &captions);

// Tests answer dialogs through this: a hook that returns a result answers the call without showing a
// dialog; one that returns nothing lets the dialog be shown. An empty hook removes it.
using MessageDialogHook = std::function<std::optional<int>(const MessageDialogRequest &)>;
void SetMessageDialogHook(MessageDialogHook hook);
