#pragma once

#include "config/EConfigError.h"
#include "config/EResNotFound.h"

#include <QString>

#include <functional>

class QWidget;

// The application's error dialog: an error that ended an action is shown with its text, and the
// program goes on.
void ShowApplicationError(QWidget *owner, const QString &text);

// A settings or list file that could not be read or written, in the words of the message table, with
// the system's own description of the cause when there is one.
QString ConfigErrorText(const EConfigError &failure);

// Opens a window with the given procedure. A window that cannot be created (the language module in
// use lacks its description, or the file it shows cannot be read) is reported with the application's
// error dialog and the program goes on. Returns whether the window was shown.
template <typename ShowWindow> bool OpenWindow(QWidget *owner, ShowWindow show)
{
    try {
        show();
        return true;
    } catch (const EResNotFound &failure) {
        ShowApplicationError(owner, QString::fromUtf8(failure.what()));
    } catch (const EConfigError &failure) {
        ShowApplicationError(owner, ConfigErrorText(failure));
    }
    return false;
}

// Tests see the errors through this instead of a dialog; an empty hook removes it.
void SetApplicationErrorHook(std::function<void(const QString &)> hook);
