#pragma once

#include <QString>

#include <chrono>

// Deletes a file and waits until it is gone, serving pending events of the calling thread meanwhile.
// Returns true when no file of that name exists any more; false at once when the name is a folder,
// which is never deleted, or an archive that another run holds locked while it writes it; false when the file
// is still there after the time limit (a read-only folder, a file held by another program), so the caller can
// refuse the run instead of waiting for ever.
bool WipeFile(const QString &fileName, std::chrono::milliseconds limit = std::chrono::seconds(10));
