#pragma once

#include <QString>
#include <QStringList>

// Words that give away a text of the other interface language: what a reason worded in English (or
// left in the ZIP unit's or the system's English) says in a Croatian interface, and the other way round.
namespace LanguageWords {

// The words of the other language that the text holds, each once; paths are taken out first (any
// word beginning with '/'), since a user's folder may be named in either language.
QStringList foreignWords(const QString &text, bool englishInterface);

} // namespace LanguageWords
