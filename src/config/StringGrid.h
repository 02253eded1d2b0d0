#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// The backup list file: one entry per line, every line ended by CR LF, written as UTF-8 without a
// byte-order mark. Reading accepts what other editors and older versions leave: a byte-order mark
// (UTF-8, UTF-16 LE/BE) selects its encoding, otherwise each line is UTF-8 or, failing that,
// Windows-1250, and lines may end in CR LF, LF or CR.

// The lines of a list file in file order, an empty line as an empty entry; an empty file gives no
// lines. Nothing when the file is missing or cannot be read.
std::optional<QStringList> ReadListLines(const QString &fileName);

// The rows of the list editor loaded from a list file: its lines, at least one row (a file without
// lines gives one empty row). Throws EConfigError naming the file when it cannot be read.
QStringList LoadStringGrid(const QString &fileName);

// Replaces the list file with the rows, row 0 first, through a temporary file and a rename.
// Throws EConfigError naming the file when it cannot be written.
void SaveStringGrid(const QStringList &rows, const QString &fileName);
