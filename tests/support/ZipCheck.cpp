#include "ZipCheck.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

namespace {

struct Outcome
{
    int exitCode = -1;
    QByteArray output;
};

Outcome runTool(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    Outcome outcome;
    if (!process.waitForFinished(600000)) {
        outcome.output = "did not finish: " + process.errorString().toUtf8();
        return outcome;
    }
    outcome.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    outcome.output = process.readAll();
    return outcome;
}

const char *const listScript = R"(
import json, sys, zipfile
with zipfile.ZipFile(sys.argv[1]) as archive:
    print(json.dumps([{"name": i.filename, "method": i.compress_type, "attributes": i.external_attr,
                       "size": i.file_size, "crc": i.CRC,
                       "date": "%04d-%02d-%02d %02d:%02d:%02d" % i.date_time} for i in archive.infolist()]))
)";

const char *const testScript = R"(
import sys, zipfile
with zipfile.ZipFile(sys.argv[1]) as archive:
    bad = archive.testzip()
    if bad is not None:
        print("bad entry:", bad)
        sys.exit(1)
)";

const char *const readScript = R"(
import sys, zipfile
with zipfile.ZipFile(sys.argv[1]) as archive:
    sys.stdout.buffer.write(archive.read(sys.argv[2]))
)";

// Every entry's name as the bytes stored in the archive (UTF-8 when flagged so, else the raw bytes that
// zipfile decoded as code page 437) and its data, both in hexadecimal, one entry per line.
const char *const rawScript = R"(
import sys, zipfile
with zipfile.ZipFile(sys.argv[1]) as archive:
    for info in archive.infolist():
        name = info.filename.encode("utf-8" if info.flag_bits & 0x800 else "cp437")
        print(name.hex(), archive.read(info).hex())
)";

// Every entry's name and its data exactly as stored (compressed), both in hexadecimal, one per line.
const char *const storedScript = R"(
import struct, sys, zipfile
with zipfile.ZipFile(sys.argv[1]) as archive, open(sys.argv[1], "rb") as raw:
    for info in archive.infolist():
        raw.seek(info.header_offset)
        header = raw.read(30)
        name_length, extra_length = struct.unpack("<HH", header[26:30])
        raw.seek(info.header_offset + 30 + name_length + extra_length)
        print(info.filename.encode("utf-8").hex(), raw.read(info.compress_size).hex())
)";

// Extracts the archive with bsdtar (as far as it can) and lists the files it made, as bytes, with their data.
const char *const extractScript = R"(
import os, subprocess, sys, tempfile
with tempfile.TemporaryDirectory() as target:
    subprocess.run(["bsdtar", "-xf", sys.argv[1], "-C", target], stderr=subprocess.DEVNULL)
    root = os.fsencode(target)
    for folder, _, files in os.walk(root):
        for name in files:
            path = os.path.join(folder, name)
            with open(path, "rb") as f:
                print(os.path.relpath(path, root).hex(), f.read().hex())
)";

QList<QPair<QByteArray, QByteArray>> parseHexPairs(const QByteArray &output)
{
    QList<QPair<QByteArray, QByteArray>> pairs;
    for (const QByteArray &line : output.split('\n')) {
        const QList<QByteArray> fields = line.trimmed().split(' ');
        if (fields.size() == 2)
            pairs.append({QByteArray::fromHex(fields[0]), QByteArray::fromHex(fields[1])});
        else if (fields.size() == 1 && !fields[0].isEmpty())
            pairs.append({QByteArray::fromHex(fields[0]), QByteArray()});
    }
    return pairs;
}

} // namespace

namespace ZipCheck {

QList<QPair<QByteArray, QByteArray>> rawEntries(const QString &archive)
{
    const Outcome python =
        runTool(QStringLiteral("python3"), {QStringLiteral("-c"), QString::fromUtf8(rawScript), archive});
    return parseHexPairs(python.output);
}

QMap<QString, QByteArray> storedData(const QString &archive)
{
    const Outcome python =
        runTool(QStringLiteral("python3"), {QStringLiteral("-c"), QString::fromUtf8(storedScript), archive});
    QMap<QString, QByteArray> stored;
    for (const auto &[name, data] : parseHexPairs(python.output))
        stored.insert(QString::fromUtf8(name), data);
    return stored;
}

QList<QByteArray> unzipNames(const QString &archive)
{
    // zipinfo mode: one stored name per line, as its bytes.
    const Outcome unzip = runTool(QStringLiteral("unzip"), {QStringLiteral("-Z1"), archive});
    QList<QByteArray> names = unzip.output.split('\n');
    if (!names.isEmpty() && names.constLast().isEmpty())
        names.removeLast();
    return names;
}

QList<QPair<QByteArray, QByteArray>> bsdtarExtracted(const QString &archive)
{
    const Outcome python =
        runTool(QStringLiteral("python3"), {QStringLiteral("-c"), QString::fromUtf8(extractScript), archive});
    return parseHexPairs(python.output);
}

QStringList readerProblems(const QString &archive)
{
    QStringList problems;
    const auto report = [&problems](const QString &reader, const Outcome &outcome) {
        problems << reader + QStringLiteral(" (exit %1): ").arg(outcome.exitCode) +
                        QString::fromUtf8(outcome.output);
    };

    const Outcome unzip = runTool(QStringLiteral("unzip"), {QStringLiteral("-tq"), archive});
    if (unzip.exitCode != 0 || unzip.output.contains("warning"))
        report(QStringLiteral("unzip -t"), unzip);

    const Outcome sevenZip = runTool(QStringLiteral("7zz"), {QStringLiteral("t"), archive});
    if (sevenZip.exitCode != 0 || !sevenZip.output.contains("Everything is Ok") ||
        sevenZip.output.contains("WARNING") || sevenZip.output.contains("Warnings"))
        report(QStringLiteral("7zz t"), sevenZip);

    const Outcome bsdtar = runTool(QStringLiteral("bsdtar"), {QStringLiteral("-xOf"), archive});
    if (bsdtar.exitCode != 0)
        report(QStringLiteral("bsdtar -xOf"), bsdtar);

    const Outcome python =
        runTool(QStringLiteral("python3"), {QStringLiteral("-c"), QString::fromUtf8(testScript), archive});
    if (python.exitCode != 0)
        report(QStringLiteral("python zipfile"), python);
    return problems;
}

QJsonArray entries(const QString &archive)
{
    const Outcome python =
        runTool(QStringLiteral("python3"), {QStringLiteral("-c"), QString::fromUtf8(listScript), archive});
    return QJsonDocument::fromJson(python.output).array();
}

QStringList entryNames(const QString &archive)
{
    QStringList names;
    for (const QJsonValue &entry : entries(archive))
        names << entry.toObject().value(QStringLiteral("name")).toString();
    return names;
}

QByteArray entryData(const QString &archive, const QString &name)
{
    QProcess process;
    process.start(QStringLiteral("python3"),
                  {QStringLiteral("-c"), QString::fromUtf8(readScript), archive, name});
    process.waitForFinished(600000);
    return process.readAllStandardOutput();
}

} // namespace ZipCheck
