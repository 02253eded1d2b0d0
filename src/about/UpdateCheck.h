#pragma once

#include <QByteArray>
#include <QString>

// The text of the version file that the update check downloads, as the comparison reads it.
namespace UpdateCheck {

// The whole file as text: a byte-order mark selects UTF-8, UTF-16 LE or UTF-16 BE; without one the
// bytes are read as a text file of the settings is (UTF-8 when valid, else Windows-1250). Line breaks
// are kept.
QString decodeVersionFile(const QByteArray &bytes);

// The server's version for the comparison: every space, comma and underscore removed, nothing else.
QString serverVersion(const QString &text);

} // namespace UpdateCheck
