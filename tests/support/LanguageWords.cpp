#include "LanguageWords.h"

#include <QRegularExpression>

namespace {

// Words every English reason of the ZIP unit or the system uses, and their Croatian counterparts.
const QStringList ENGLISH = {
    QStringLiteral("invalid"), QStringLiteral("mismatch"), QStringLiteral("cannot"),
    QStringLiteral("denied"),  QStringLiteral("file"),     QStringLiteral("error"),
    QStringLiteral("damaged"), QStringLiteral("not"),      QStringLiteral("no"),
    QStringLiteral("such"),    QStringLiteral("space"),    QStringLiteral("too"),
    QStringLiteral("large"),   QStringLiteral("entry"),    QStringLiteral("archive"),
    QStringLiteral("unknown"), QStringLiteral("failed"),   QStringLiteral("zip file"),
    QStringLiteral("the"),     QStringLiteral("of"),
};
const QStringList CROATIAN = {
    QStringLiteral("pogreška"),  QStringLiteral("datoteka"), QStringLiteral("datoteke"),
    QStringLiteral("odbijen"),   QStringLiteral("nije"),     QStringLiteral("arhiva"),
    QStringLiteral("arhive"),    QStringLiteral("arhivu"),   QStringLiteral("oštećen"),
    QStringLiteral("oštećeni"),  QStringLiteral("nema"),     QStringLiteral("ne"),
    QStringLiteral("prevelika"), QStringLiteral("podaci"),   QStringLiteral("stavka"),
    QStringLiteral("i"),         QStringLiteral("je"),       QStringLiteral("na"),
    QStringLiteral("se"),        QStringLiteral("u"),
};

} // namespace

QStringList LanguageWords::foreignWords(const QString &text, bool englishInterface)
{
    static const QRegularExpression path(QStringLiteral("/[^\\s)\"]*"));
    const QString words = QString(text).replace(path, QStringLiteral(" ")).toLower();
    QStringList found;
    for (const QString &word : englishInterface ? CROATIAN : ENGLISH) {
        const QRegularExpression whole(QStringLiteral("(^|[^\\w])") + QRegularExpression::escape(word) +
                                           QStringLiteral("($|[^\\w])"),
                                       QRegularExpression::UseUnicodePropertiesOption);
        if (whole.match(words).hasMatch())
            found << word;
    }
    return found;
}
