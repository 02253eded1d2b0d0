#pragma once

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <vector>

// The entries of an archive as its central directory lists them, in archive order: what the restore
// window shows and what a restore picks from. Names are text as EntryName holds them.
class ArchiveListing
{
  public:
    // Reads the central directory of the archive at path; raises the ZIP unit's exceptions when the
    // archive cannot be opened.
    static ArchiveListing read(const QString &path);

    int count() const { return int(m_names.size()); }
    const QString &name(int index) const { return m_names[std::size_t(index)]; }
    // A folder entry: its name ends in "/" (a folder marked only by its MS-DOS directory attribute is
    // listed with that "/").
    bool isFolder(int index) const { return m_names[std::size_t(index)].endsWith(QLatin1Char('/')); }
    quint64 size(int index) const { return m_sizes[std::size_t(index)]; }
    std::uint32_t dosTime(int index) const { return m_dosTimes[std::size_t(index)]; }
    // The entry's local date and time; invalid when the archive's date is not a valid one.
    QDateTime modified(int index) const { return localTime(dosTime(index)); }
    // An MS-DOS date-time as local date and time; invalid when it is not a valid one.
    static QDateTime localTime(std::uint32_t dosTime);

    // Whether an entry name matches a command-line pattern: "*" and "?" as in the shell, except that
    // "*" also crosses "/"; a pattern naming a folder (with or without the final "/") matches all in it.
    static bool matches(const QString &name, const QString &pattern);
    // The entries matching any of the patterns (every entry without patterns), in archive order.
    QList<int> select(const QStringList &patterns) const;

  private:
    std::vector<QString> m_names;
    std::vector<quint64> m_sizes;
    std::vector<std::uint32_t> m_dosTimes;
};
