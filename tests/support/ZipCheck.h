#pragma once

#include <QByteArray>
#include <QJsonArray>
#include <QList>
#include <QMap>
#include <QPair>
#include <QString>
#include <QStringList>

// Checks of an archive by independent readers: Info-ZIP unzip, 7-Zip, bsdtar and Python's zipfile.
namespace ZipCheck {

// Every reader tests every entry; returns what any of them reported (empty when all are content).
QStringList readerProblems(const QString &archive);
// The entries as Python's zipfile reads them, in archive order: objects with "name", "method",
// "attributes" (external attributes), "size", "crc" and "date" ("yyyy-mm-dd hh:mm:ss").
QJsonArray entries(const QString &archive);
// The entry names, in archive order.
QStringList entryNames(const QString &archive);
// Every entry as Python's zipfile reads it: its name as the bytes stored in the archive, and its data.
QList<QPair<QByteArray, QByteArray>> rawEntries(const QString &archive);
// Every entry's data exactly as the archive stores it (compressed), by entry name.
QMap<QString, QByteArray> storedData(const QString &archive);
// Every entry name as Info-ZIP unzip lists it, as bytes.
QList<QByteArray> unzipNames(const QString &archive);
// Every file that bsdtar extracts: its path below the target as bytes, and its data.
QList<QPair<QByteArray, QByteArray>> bsdtarExtracted(const QString &archive);
// The bytes of one entry, read by Python's zipfile.
QByteArray entryData(const QString &archive, const QString &name);

} // namespace ZipCheck
