#pragma once

#include <QString>

// Language modules for tests: compiled with lrelease from translation sources, as the build does.
namespace ModuleFiles {

// A translation source of the given contexts: each context a list of (source, translation) pairs.
QString translationSource(const QList<QPair<QString, QList<QPair<QString, QString>>>> &contexts);

// The program's own translation source of a language ("HRV", "ENU") as it stands in translations/.
QString programSource(const QString &abbreviation);

// The translation source without the one message of the context with that source text.
QString withoutMessage(const QString &source, const QString &context, const QString &sourceText);

// The source without every message of the context, as if the context were not there.
QString withoutContext(const QString &source, const QString &context);

// Compiles a translation source into the module file; the empty string on success, else lrelease's
// complaint.
QString compile(const QString &source, const QString &moduleFile);

// The built module of a language next to the programs in the build folder.
QString builtModule(const QString &abbreviation);

} // namespace ModuleFiles
