#pragma once

#include <QObject>
#include <QString>

class QAction;
class QWidget;
struct ProgramSettings;

// The main menu's languages (Hrvatski, Engleski): the language stored in the settings ("Jezik": "HR"
// or "EN") at start-up, and a switch of every open window from the menu, stored for the next start.
// The check mark is on the language in use.
class LanguageMenu : public QObject
{
    Q_OBJECT

  public:
    // The menu items' own toggling is undone: the check marks follow the language actually loaded.
    LanguageMenu(QAction *croatian, QAction *english, ProgramSettings &settings, QWidget *window);

    // Start-up: loads the stored language's module. Without the English module the program stays in
    // Croatian for this start, and the file keeps "EN".
    void applyStored();
    // The menu items: find the language's module, store the choice and apply it to every window.
    // Without the module nothing changes, silently; when the choice cannot be stored, the error is
    // shown and nothing changes either.
    void chooseCroatian();
    void chooseEnglish();

  signals:
    // A switch from the menu took effect: the texts that code placed are due in the new language.
    void switched();

  private:
    void choose(quint32 locale, const QString &code, QAction *chosen, QAction *other);

    QAction *m_croatian;
    QAction *m_english;
    ProgramSettings &m_settings;
    QWidget *m_window;
};
