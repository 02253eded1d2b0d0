#include "config/StringGrid.h"

#include "config/EConfigError.h"
#include "config/StoredText.h"

namespace
{
QStringList splitLines(const QString &text)
{
    QStringList lines;
    qsizetype start = 0;
    const qsizetype size = text.size();
    while (start < size) {
        qsizetype end = start;
        while (end < size && text[end] != u'\r' && text[end] != u'\n')
            ++end;
        lines.append(text.mid(start, end - start));
        start = end + 1;
        if (end < size && text[end] == u'\r' && start < size && text[start] == u'\n')
            ++start;
    }
    return lines;
}
} // namespace

std::optional<QStringList> ReadListLines(const QString &fileName)
{
    const std::optional<QByteArray> bytes = StoredText::readFile(fileName);
    if (!bytes)
        return std::nullopt;
    return splitLines(StoredText::decode(*bytes));
}

QStringList LoadStringGrid(const QString &fileName)
{
    std::optional<QStringList> lines = ReadListLines(fileName);
    if (!lines)
        throw EConfigError(QStringLiteral("Cannot open file \"%1\"").arg(fileName));
    if (lines->isEmpty())
        lines->append(QString());
    return *lines;
}

void SaveStringGrid(const QStringList &rows, const QString &fileName)
{
    QString text;
    for (const QString &row : rows)
        text += row + QStringLiteral("\r\n");
    if (const std::optional<QString> error = StoredText::writeFileAtomically(fileName, StoredText::encode(text)))
        throw EConfigError(QStringLiteral("Cannot create file \"%1\". %2").arg(fileName, *error));
}
