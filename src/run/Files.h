#pragma once
// File writes that are complete or absent: a temporary name in the same
// folder, renamed over the destination.
#include <QByteArray>
#include <QString>

namespace pixolane {

bool writeFileAtomically(const QString& path, const QByteArray& bytes, QString* error = nullptr);
bool copyFileAtomically(const QString& source, const QString& destination,
                        QString* error = nullptr);

}  // namespace pixolane
