#pragma once

#include <QString>
#include <QStringList>
#include <QTest>

// Words that give away a text of the other interface language: what a reason worded in English (or
// left in the ZIP unit's or the system's English) says in a Croatian interface, and the other way round.
namespace LanguageWords {

// The words of the other language that the text holds, each once; paths are taken out first (any
// word beginning with '/'), since a user's folder may be named in either language.
QStringList foreignWords(const QString &text, bool englishInterface);

} // namespace LanguageWords

// Fails the test when the text is empty or holds a word of the language the interface is not in.
#define VERIFY_ONE_LANGUAGE(text, english)                                                                   \
    do {                                                                                                     \
        const QString oneLanguageText = (text);                                                              \
        QVERIFY2(!oneLanguageText.trimmed().isEmpty(), "no text");                                           \
        const QStringList foreign = LanguageWords::foreignWords(oneLanguageText, english);                   \
        QVERIFY2(foreign.isEmpty(),                                                                          \
                 qPrintable(oneLanguageText + QStringLiteral(" <- ") + foreign.join(QStringLiteral(", ")))); \
    } while (false)
