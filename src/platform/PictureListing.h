#pragma once
// The pictures of a folder as both front ends list them, in the order a
// person reads the names. Qt Core only.
#include <QString>
#include <QStringList>

namespace pixolane::platform {

// Reading order: case and accents folded, runs of digits compared by value
// ("p2" before "p10"), ties broken by the exact name so the order is total.
// The same under every locale. Negative, 0 or positive like QString::compare.
// A file name as the system gives it, for showing: bytes that are not UTF-8
// (a Latin-1 name from an old camera or archive) are written "\xE9".
QString fileNameForDisplay(const QByteArray& raw);

// True when the path is a name fileNameForDisplay escaped and the file it
// stands for exists: a file whose name the program cannot represent.
bool unrepresentableName(const QString& path);

int compareForReading(const QString& a, const QString& b);

// Sorts names in reading order.
QStringList sortedForReading(QStringList names);

// The names of the "*.jpg" and "*.jpeg" files of a folder (any case; ordinary,
// visible files only), in reading order. Empty when the folder cannot be read.
// A name that is not UTF-8 is listed as fileNameForDisplay shows it, so it is
// accounted for (the run makes an error entry of it), never skipped.
QStringList picturesIn(const QString& folder);

}  // namespace pixolane::platform
