#pragma once

#include <QByteArray>
#include <QString>

// The text of the version file that the update check downloads, as the comparison reads it.
namespace UpdateCheck {

// The longest version file the check accepts; a longer answer is a failed check. The file holds one
// version string, so a longer answer is not the version file, and it must not fill memory.
constexpr qint64 maxVersionFileBytes = 64 * 1024;
// The most of the server's version that the question shows.
constexpr qsizetype maxShownCharacters = 200;

// The whole file as text: a byte-order mark selects UTF-8, UTF-16 LE or UTF-16 BE; without one the
// bytes are read as a text file of the settings is (UTF-8 when valid, else Windows-1250). Line breaks
// are kept.
QString decodeVersionFile(const QByteArray &bytes);

// The server's version for the comparison: every space, comma and underscore removed, nothing else.
QString serverVersion(const QString &text);

// The server's version as the question shows it: at most its first maxShownCharacters characters
// (never half of a surrogate pair), followed by an ellipsis when it was longer.
QString shownVersion(const QString &version);

} // namespace UpdateCheck
