#pragma once
// File writes that are complete or absent: a temporary file with a short name
// in the same folder, every write and the sync checked, then renamed over the
// destination. A link at the destination is replaced, never followed. A write
// that fails leaves the earlier file as it was, and carries a French reason.
#include <QByteArray>
#include <QString>

#include <functional>

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

// Reads one of the program's own files (a record, a mark, the saved
// location). It never blocks on a FIFO nor reads a device or a folder, and
// follows no link unless `followLink`: such a file is `Unusable`, with its
// French reason in *error. A missing file is `Missing`.
enum class OwnFile { Read, Missing, Unusable };
OwnFile readOwnFile(const QString& path, QByteArray* bytes, QString* error = nullptr,
                    bool followLink = false);

// True when the folder's file system takes names that differ only in case
// for one file (exFAT, FAT, a case-folding folder). Finds out with a
// temporary file it removes at once; false when it cannot tell.
bool foldsCase(const QString& folder);
// Tests stand in for a folding disk; an empty function restores the probe.
void setCaseFoldingProbe(std::function<bool(const QString& folder)> probe);

// Why a file operation failed, in French, from the system's error number
// (`errno`, read right after the failing call); `fallback` when unknown.
QString fileErrorReason(int errorNumber, const QString& fallback);

}  // namespace pixolane::platform
