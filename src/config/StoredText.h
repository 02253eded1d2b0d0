#pragma once

#include <QByteArray>
#include <QString>

#include <optional>
#include <vector>

// Text of the settings and list files: read in whatever encoding a user or an older Windows
// version left behind, always written back as UTF-8 without a byte-order mark.
namespace StoredText {
// Decodes file bytes: a byte-order mark (UTF-8, UTF-16 LE, UTF-16 BE) selects its encoding and is
// dropped; otherwise UTF-8, or Windows-1250 when the bytes are not valid UTF-8.
QString decode(const QByteArray &bytes);

// One line of a text file: its text and the line end that followed it (CR LF, LF, CR, or empty at the
// end of a file without a final line end).
struct Line
{
    QString text;
    QString eol;
};

// The lines of a text, split at CR LF, LF or CR; a final line end does not start another line.
std::vector<Line> splitLines(const QString &text);

// Decodes Windows-1250 bytes; the five bytes the code page leaves unassigned map to U+0080..U+009F.
QString decodeWindows1250(const QByteArray &bytes);

// Encodes text for writing: UTF-8 without a byte-order mark.
QByteArray encode(const QString &text);

// Reads a whole file as bytes; nothing when it is missing, not a regular file or cannot be read.
std::optional<QByteArray> readFile(const QString &fileName);

// Replaces a file through a temporary file in the same folder and a rename, so readers never see a
// partly written file and a failed write leaves the old file as it was; returns the system's error
// text, or nothing on success.
std::optional<QString> writeFileAtomically(const QString &fileName, const QByteArray &bytes);
} // namespace StoredText
