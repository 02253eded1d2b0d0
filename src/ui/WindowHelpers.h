#pragma once

class FileManager;
class QFont;
class QString;
class QWidget;
template <typename T> class QPointer;

// Small helpers around windows.

// Greys, or enables again, the window's Close command: while it is greyed, the close box, the window
// menu and the keyboard cannot close the window (every close request it receives is refused).
void CloseButtonDisable(QWidget *window);
void CloseButtonEnable(QWidget *window);
// Whether the window's Close command is enabled.
bool CloseButtonEnabled(const QWidget *window);

// Whether the given object is one of the application's existing widgets. The pointer is only
// compared, so a window that has been destroyed may be tested.
bool FormExists(const QWidget *window);

// Shows the file selected in the user's file manager, or its folder; false when neither could be shown.
bool SelectFileInExplorer(FileManager &fileManager, const QString &path);

// Takes a window away before a run: one that is being shown modally is closed, so that its modal loop
// returns and the code that showed it destroys it; any other is destroyed at once. Clears the pointer.
void CloseWindowSafely(QPointer<QWidget> &window);

// Makes a dialog modal to the given window only (and the windows it stands over), not to the whole
// program: the tray menu and other windows stay usable while it is up. A dialog without a parent
// widget (owned by the application) stands over the window as the window manager's transient.
void MakeModalTo(QWidget *dialog, QWidget *window);

// Gives a small box the look of the program's boxes: a white background and the 11-pixel Tahoma face
// (or the nearest the system has). Returns the bold variant of that font, for the box's headline.
QFont UseBoxLook(QWidget *box);
