#include "run/ArchiveRecord.h"

#include "config/ConfigLock.h"
#include "config/EConfigError.h"
#include "config/ProgramSettings.h"
#include "config/ReplacementFile.h"
#include "run/RetentionPlan.h"

#include <QFile>

#include <optional>

namespace {

// One line each: the stamp the record began at, then "A name" for an automatic run's archive and
// "R name" for a manual run's, as the settings call the last of each FileA and FileR.
const QByteArray startKey = "Pocetak ";
const QByteArray automaticKey = "A ";
const QByteArray manualKey = "R ";

// The file's lines, none when it does not exist; nothing when it exists but cannot be read.
std::optional<QList<QByteArray>> readLines(const QString &fileName)
{
    QFile file(fileName);
    if (!file.exists())
        return QList<QByteArray>();
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    QList<QByteArray> lines = file.readAll().split('\n');
    if (file.error() != QFileDevice::NoError)
        return std::nullopt;
    lines.removeAll(QByteArray());
    return lines;
}

ArchiveRecord fromLines(const QList<QByteArray> &lines)
{
    QString start;
    QSet<QString> automatic;
    QSet<QString> manual;
    for (const QByteArray &line : lines) {
        if (line.startsWith(startKey))
            start = QString::fromUtf8(line.mid(startKey.size()));
        else if (line.startsWith(automaticKey))
            automatic.insert(QString::fromUtf8(line.mid(automaticKey.size())));
        else if (line.startsWith(manualKey))
            manual.insert(QString::fromUtf8(line.mid(manualKey.size())));
    }
    return ArchiveRecord(start, automatic, manual);
}

} // namespace

ArchiveRecord::ArchiveRecord(const QString &start, const QSet<QString> &automatic,
                             const QSet<QString> &manual)
    : m_start(start), m_automatic(automatic), m_manual(manual)
{
}

QString ArchiveRecord::fileName(const ProgramSettings &settings)
{
    return settings.userfolder + settings.GLOBAL_lista + QStringLiteral("Arkivoda_arhive.txt");
}

ArchiveRecord ArchiveRecord::read(const ProgramSettings &settings)
{
    const std::optional<QList<QByteArray>> lines = readLines(fileName(settings));
    return lines ? fromLines(*lines) : ArchiveRecord();
}

void ArchiveRecord::add(const ProgramSettings &settings, bool automatic, const QString &name,
                        const QString &nowStamp)
{
    const QString file = fileName(settings);
    const QString notWritten = QStringLiteral("Unable to write to %1").arg(file);
    // A name with a line break cannot be told apart from the next line; it is never an automatic
    // archive's name, so a manual run's such name needs no protection either.
    if (name.contains(u'\n') || name.contains(u'\r'))
        return;
    const ConfigLock lock(settings.lockFileName(), file);
    std::optional<QList<QByteArray>> lines = readLines(file);
    // Rewriting a record that cannot be read would forget every archive on it.
    if (!lines)
        throw EConfigError(EConfigError::Operation::Read, file,
                           QStringLiteral("Unable to read %1").arg(file));
    if (lines->isEmpty())
        lines->append(startKey + nowStamp.toUtf8());
    const QByteArray entry = (automatic ? automaticKey : manualKey) + name.toUtf8();
    if (lines->contains(entry))
        return;
    // The file of that name now holds what this run wrote: the other kind's entry for it goes.
    lines->removeAll((automatic ? manualKey : automaticKey) + name.toUtf8());
    lines->append(entry);
    if (const std::optional<QString> error = ReplacementFile(file).replaceWith(lines->join('\n') + '\n'))
        throw EConfigError(EConfigError::Operation::Write, file, notWritten, *error);
}

bool ArchiveRecord::isAutomatic(const QString &prefix, const QString &name) const
{
    if (!exists())
        return false;
    if (m_automatic.contains(name))
        return true;
    if (m_manual.contains(name))
        return false;
    const QString stamp = RetentionPlan::stampOf(prefix, name);
    return !stamp.isEmpty() && stamp < m_start;
}
