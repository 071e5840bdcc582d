#pragma once
// The pictures of a folder as both front ends list them, in the order a
// person reads the names. Qt Core only.
#include <QString>
#include <QStringList>

namespace pixolane::platform {

// Reading order: case and accents folded, runs of digits compared by value
// ("p2" before "p10"), ties broken by the exact name so the order is total.
// The same under every locale. Negative, 0 or positive like QString::compare.
int compareForReading(const QString& a, const QString& b);

// Sorts names in reading order.
QStringList sortedForReading(QStringList names);

// The names of the "*.jpg" and "*.jpeg" files of a folder (any case; ordinary,
// visible files only), in reading order. Empty when the folder cannot be read.
QStringList picturesIn(const QString& folder);

}  // namespace pixolane::platform
