#pragma once
// File writes that are complete or absent: a temporary file with a short name
// in the same folder, every write and the sync checked, then renamed over the
// destination. A link at the destination is replaced, never followed. A write
// that fails leaves the earlier file as it was, and carries a French reason.
#include <QByteArray>
#include <QString>

namespace pixolane::platform {

// "Impossible d'écrire <path> : <reason>" when the write failed.
bool writeFileAtomically(const QString& path, const QByteArray& bytes, QString* error = nullptr);
bool copyFileAtomically(const QString& source, const QString& destination,
                        QString* error = nullptr);

// A file-size limit (ulimit -f) makes writes fail with a reason instead of
// ending the process half-way through a run. Every writer here calls it; a
// run calls it before its first write of any kind.
void failWritesAtFileSizeLimit();

// Makes the renames done in a folder durable (a crash after it keeps them).
// False, with a reason, when the folder could not be synced.
bool syncFolder(const QString& folder, QString* error = nullptr);

// Removes the temporary files that writers of processes no longer running
// left in a folder (a crash, a power cut). Returns how many went.
int discardLeftovers(const QString& folder);

// Why a file operation failed, in French, from the system's error number
// (`errno`, read right after the failing call); `fallback` when unknown.
QString fileErrorReason(int errorNumber, const QString& fallback);

}  // namespace pixolane::platform
