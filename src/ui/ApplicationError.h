#pragma once

#include <QString>

#include <functional>

class QWidget;

// The application's error dialog: an error that ended an action is shown with its text, and the
// program goes on.
void ShowApplicationError(QWidget *owner, const QString &text);

// Tests see the errors through this instead of a dialog; an empty hook removes it.
void SetApplicationErrorHook(std::function<void(const QString &)> hook);
