#pragma once

#include <QString>

#include <optional>

// Applies the interface language stored in the configuration ("Program"/"Jezik"), as the desktop
// program does at start: "HR" loads the Croatian module, "EN" the English one, and without a module,
// or with any other value, the built-in Croatian texts stay. The modules are the desktop program's,
// looked for beside this program. Reads only: no data folder is created. For what speaks before any
// window could: arkivoda-cli, and the desktop program's --help.
void ApplyConfiguredLanguage(const std::optional<QString> &lista);
