#pragma once

#include <QString>
#include <QStringList>

// Which copies at the remote target go when only the newest ones are kept: the names of exactly this
// configuration's automatic archives (prefix, "_", yyyy.mm.dd__hh.nn.ss, ".zip"), oldest first, and never
// anything else (a ".part", a ".bak", another prefix, a folder).
namespace RemoteRetention {

// Whether name is prefix_yyyy.mm.dd__hh.nn.ss.zip, exactly.
bool matches(const QString &prefix, const QString &name);
// The files to delete so that keep matching archives remain, oldest first. fileNames are the files
// (not folders) in the target folder; sent, the copy just made, is never deleted and counts among
// those kept. keep 0 keeps everything.
QStringList toDelete(const QString &prefix, const QStringList &fileNames, const QString &sent, int keep);

} // namespace RemoteRetention
