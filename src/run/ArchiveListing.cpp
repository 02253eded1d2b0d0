#include "run/ArchiveListing.h"

#include "run/EntryName.h"
#include "zip/TZipFile.h"
#include "zip/ZipDateTime.h"

#include <QFile>
#include <QRegularExpression>

#include <algorithm>

ArchiveListing ArchiveListing::read(const QString &path)
{
    TZipFile zip;
    zip.Open(QFile::encodeName(path).toStdString(), zmRead);
    ArchiveListing listing;
    const int count = zip.FileCount();
    listing.m_names.reserve(std::size_t(count));
    listing.m_sizes.reserve(std::size_t(count));
    listing.m_dosTimes.reserve(std::size_t(count));
    const std::vector<std::string> names = zip.FileNames();
    for (int i = 0; i < count; ++i) {
        const TZipHeader header = zip.FileInfo(i);
        QString name = EntryName::fromBytes(names[std::size_t(i)]);
        // Old Windows archivers mark a folder by its MS-DOS directory attribute alone, without the
        // final "/"; the listing names every folder with one.
        if (header.IsFolder() && !name.endsWith(QLatin1Char('/')) && !name.endsWith(QLatin1Char('\\')))
            name += QLatin1Char('/');
        listing.m_names.push_back(name);
        listing.m_sizes.push_back(header.GetZIP64_UncompressedSize());
        listing.m_dosTimes.push_back(header.ModifiedDateTime);
    }
    zip.Close();
    return listing;
}

QDateTime ArchiveListing::localTime(std::uint32_t dosTime)
{
    TZipDateTime local;
    if (!WinFileDateToDateTime(dosTime, local))
        return QDateTime();
    return QDateTime(QDate(local.Year, local.Month, local.Day),
                     QTime(local.Hour, local.Minute, local.Second));
}

namespace {

// A command-line pattern, made once for a whole listing.
class EntryPattern
{
  public:
    explicit EntryPattern(const QString &pattern) : m_pattern(pattern), m_folder(pattern)
    {
        if (!m_folder.endsWith(QLatin1Char('/')))
            m_folder += QLatin1Char('/');
        if (!pattern.contains(QLatin1Char('*')) && !pattern.contains(QLatin1Char('?')))
            return;
        QString expression;
        for (const QChar c : pattern) {
            if (c == QLatin1Char('*'))
                expression += QStringLiteral(".*");
            else if (c == QLatin1Char('?'))
                expression += QLatin1Char('.');
            else
                expression += QRegularExpression::escape(QString(c));
        }
        // A pattern that matches a folder matches what is in it, as a plain folder name does.
        m_glob =
            QRegularExpression(QRegularExpression::anchoredPattern(expression + QStringLiteral("(/.*)?")),
                               QRegularExpression::DotMatchesEverythingOption);
        m_wild = true;
    }

    bool matches(const QString &name) const
    {
        if (m_pattern.isEmpty())
            return false;
        if (name == m_pattern || name.startsWith(m_folder))
            return true;
        return m_wild && m_glob.match(name).hasMatch();
    }

  private:
    QString m_pattern;
    QString m_folder;
    QRegularExpression m_glob;
    bool m_wild = false;
};

} // namespace

bool ArchiveListing::matches(const QString &name, const QString &pattern)
{
    return EntryPattern(pattern).matches(name);
}

QList<int> ArchiveListing::select(const QStringList &patterns) const
{
    std::vector<EntryPattern> compiled;
    for (const QString &pattern : patterns)
        compiled.emplace_back(pattern);
    QList<int> chosen;
    for (int i = 0; i < count(); ++i) {
        const bool wanted =
            compiled.empty() || std::any_of(compiled.begin(), compiled.end(),
                                            [&](const EntryPattern &p) { return p.matches(name(i)); });
        if (wanted)
            chosen << i;
    }
    return chosen;
}
