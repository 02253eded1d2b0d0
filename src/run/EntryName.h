#pragma once

#include <QString>

#include <string>

// Archive entry names and file names as bytes and as text. A Linux name is bytes and need not be
// UTF-8: each byte that is not part of well-formed UTF-8 is held in the text as the lone surrogate
// U+DC80 + (byte - 0x80), so that the name goes back to the file system byte for byte and two names
// that differ in such bytes stay two names.
namespace EntryName {

// The text of name bytes, with bytes outside well-formed UTF-8 held as above.
QString fromBytes(const std::string &bytes);
// The bytes of such text: UTF-8, with each held byte given back as it was.
std::string toBytes(const QString &text);
// The name as it may be printed on a terminal or in a log: control characters as "\n", "\t", "\r",
// "\e" or "\xNN" and held bytes as "\xNN", so that a name cannot move the cursor, colour the
// terminal or forge a line of its own.
QString printable(const QString &text);

} // namespace EntryName
