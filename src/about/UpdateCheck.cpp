#include "about/UpdateCheck.h"

#include "config/StoredText.h"

QString UpdateCheck::decodeVersionFile(const QByteArray &bytes)
{
    QString text;
    for (const StoredText::Line &line : StoredText::decodeLines(bytes))
        text += line.text + line.eol;
    return text;
}

QString UpdateCheck::serverVersion(const QString &text)
{
    QString version = text;
    version.remove(QLatin1Char(' ')).remove(QLatin1Char(',')).remove(QLatin1Char('_'));
    return version;
}

QString UpdateCheck::shownVersion(const QString &version)
{
    if (version.size() <= maxShownCharacters)
        return version;
    qsizetype cut = maxShownCharacters;
    if (version.at(cut - 1).isHighSurrogate())
        --cut;
    return version.left(cut) + QChar(0x2026);
}
