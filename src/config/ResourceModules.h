#pragma once

#include "config/LanguageModule.h"

#include <QString>

#include <memory>
#include <optional>

// The current text source of the program: the built-in Croatian texts, or one loaded language module
// whose window descriptions and messages every window and message look-up reads. Interface thread only.

// Croatian and English, by the locale numbers that name them.
constexpr quint32 localeCroatian = 26;  // 0x001A
constexpr quint32 localeEnglish = 1033; // 0x0409

// The locale of a language code as "Jezik" holds it: "HR" Croatian, "EN" English, compared exactly
// (letter case included); nothing for any other value.
std::optional<quint32> LocaleOfLanguageCode(const QString &code);

// The three-letter abbreviation of a locale's language ("HRV", "ENU"); empty for any other locale.
QString LocaleAbbreviation(quint32 locale);

// The file a module is looked for in: the first ".exe" of the program's path (letters in any case)
// replaced by "." + the abbreviation, or, as on Linux the program has none, "." + the abbreviation
// appended.
QString ResourceModuleFileName(const QString &programFile, const QString &abbreviation);

// The program file that module names are made from: the running program unless set. The command-line
// front end names the desktop program beside it, so that both read the same modules; tests name a
// program in a folder of their own.
QString ResourceProgramFile();
void SetResourceProgramFile(const QString &programFile);

// Opens the module of the locale's language, three-letter name first, then two, without making it the
// current text source; nullptr when none could be opened.
std::unique_ptr<LanguageModule> OpenResourceModule(quint32 locale);

// Loads the module of the locale's language as OpenResourceModule() does and makes it the current text
// source. Returns the module, or nullptr when none could be loaded (nothing changes then).
LanguageModule *LoadNewResourceModule(quint32 locale);

// Installs Qt's own translations (qtbase_hr, qtbase_en from the system's Qt translations) for the
// locale's language in place of the ones in use, so that Qt's dialogs and standard buttons speak the
// language of the program's texts. Without them on the system Qt keeps its built-in English.
void UseQtTranslations(quint32 locale);

// Makes the module the current text source and releases the one it replaces; nullptr returns to the
// built-in texts. Installs it for the windows' translations and for the message tables. Returns it.
LanguageModule *SetResourceHInstance(std::unique_ptr<LanguageModule> module);

// The module in use, or nullptr while the built-in texts are.
const LanguageModule *CurrentResourceModule();

// Whether the current text source holds the description of a window class: the built-in texts hold
// every one, a module those whose context it carries.
bool HasWindowDescription(const char *windowClass);

// Refuses to create a window whose description the current text source lacks: throws EResNotFound
// ("Resource TOdabirBaze not found").
void RequireWindowDescription(const char *windowClass);
