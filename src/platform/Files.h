#pragma once
// File writes that are complete or absent: a temporary name in the same
// folder, renamed over the destination. Failures carry a French reason.
#include <QByteArray>
#include <QString>

namespace pixolane::platform {

// "Impossible d'écrire <path> : <reason>" when the write failed.
bool writeFileAtomically(const QString& path, const QByteArray& bytes, QString* error = nullptr);
bool copyFileAtomically(const QString& source, const QString& destination,
                        QString* error = nullptr);

// Why a file operation failed, in French, from the system's error number
// (`errno`, read right after the failing call); `fallback` when unknown.
QString fileErrorReason(int errorNumber, const QString& fallback);

}  // namespace pixolane::platform
