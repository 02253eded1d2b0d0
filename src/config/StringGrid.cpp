#include "config/StringGrid.h"

#include "config/EConfigError.h"
#include "config/StoredText.h"

std::optional<QStringList> ReadListLines(const QString &fileName)
{
    const std::optional<QByteArray> bytes = StoredText::readFile(fileName);
    if (!bytes)
        return std::nullopt;
    QStringList lines;
    for (StoredText::Line &line : StoredText::decodeLines(*bytes))
        lines.append(std::move(line.text));
    return lines;
}

QStringList LoadStringGrid(const QString &fileName)
{
    std::optional<QStringList> lines = ReadListLines(fileName);
    if (!lines)
        throw EConfigError(EConfigError::Operation::Read, fileName,
                           QStringLiteral("Cannot open file \"%1\"").arg(fileName));
    if (lines->isEmpty())
        lines->append(QString());
    return *lines;
}

void SaveStringGrid(const QStringList &rows, const QString &fileName)
{
    QString text;
    for (const QString &row : rows)
        text += row + QStringLiteral("\r\n");
    if (const std::optional<QString> error =
            StoredText::writeFileAtomically(fileName, StoredText::encode(text)))
        throw EConfigError(EConfigError::Operation::Write, fileName,
                           QStringLiteral("Cannot create file \"%1\". %2").arg(fileName, *error), *error);
}
