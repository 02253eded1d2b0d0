#pragma once

#include <QByteArray>
#include <QString>

#include <optional>
#include <vector>

// Text of the settings and list files: read in whatever encoding a user or an older Windows
// version left behind; what is written is UTF-8 without a byte-order mark, and a line a rewrite does
// not change keeps its bytes.
namespace StoredText {
// One line of a text file: its text, the line end that followed it (CR LF, LF, CR, or empty at the
// end of a file without a final line end), and the bytes the text was read from.
struct Line
{
    QString text;
    QString eol;
    // Written back as they are while they still decode to the text, so a rewrite keeps every line it
    // does not change byte for byte. Empty for a new line and for the lines of a file with a
    // byte-order mark, which is rewritten in UTF-8 as a whole.
    QByteArray stored;
};

// The lines of file bytes, split at CR LF, LF or CR; a final line end does not start another line.
// A byte-order mark (UTF-8, UTF-16 LE, UTF-16 BE) selects the encoding of the whole file and is
// dropped; otherwise each line is decoded on its own by decodeLine().
std::vector<Line> decodeLines(const QByteArray &bytes);

// Decodes one line of a file without a byte-order mark: UTF-8 when the bytes are valid UTF-8, else
// Windows-1250, so one line saved on Windows garbles no other line.
QString decodeLine(QByteArrayView bytes);

// Decodes Windows-1250 bytes; the five bytes the code page leaves unassigned map to U+0080..U+009F.
QString decodeWindows1250(QByteArrayView bytes);

// The bytes of lines for writing: each line's stored bytes while they still decode to its text,
// otherwise its text in UTF-8, each followed by its line end.
QByteArray encodeLines(const std::vector<Line> &lines);

// Encodes text for writing: UTF-8 without a byte-order mark.
QByteArray encode(const QString &text);

// Reads a whole file as bytes; nothing when it is missing, not a regular file or cannot be read.
std::optional<QByteArray> readFile(const QString &fileName);

// Replaces a file through a temporary file in the same folder and a rename, so readers never see a
// partly written file and a failed write leaves the old file as it was; returns the system's error
// text, or nothing on success.
std::optional<QString> writeFileAtomically(const QString &fileName, const QByteArray &bytes);
} // namespace StoredText
