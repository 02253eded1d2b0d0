#pragma once

class QIcon;
class QMainWindow;
namespace Ui {
class TGlavni;
}

// The main window's look, apart from its behaviour: colours, fonts, images and its fixed size.

// The program's icon in every size the desktop asks for.
QIcon ProgramIcon();
// The program's icon with a warning triangle in its corner: backups are overdue.
QIcon ProgramWarningIcon();
// Gives the freshly set-up main window its look and fixed size.
void ApplyMainWindowLook(Ui::TGlavni &ui, QMainWindow &window);
// Widens the static labels whose text does not fit the fonts at hand (again after a language change).
void FitMainWindowLabels(Ui::TGlavni &ui);
