#pragma once
// When a photograph was taken, read from its JPEG header (the EXIF block
// only, never the picture data), and the list put in that order.
#include <QByteArray>
#include <QString>
#include <QStringList>

namespace pixolane::imaging {

// The TIFF body of a JPEG file's EXIF block (the APP1 segment after
// "Exif\0\0"), read segment by segment up to the first scan; empty when the
// file cannot be read, is not a JPEG or has none.
QByteArray readExifBlock(const QString& path);

// A key that sorts as the moment the picture was taken: DateTimeOriginal
// ("YYYY:MM:DD HH:MM:SS"), then SubSecTimeOriginal as a fraction of a second.
// Empty when the block has no readable date (absent, blank, all zeros).
QByteArray dateTakenKey(const QByteArray& exifBlock);

// The paths by date taken: dated pictures first, oldest first; pictures
// without a date after them. Ties and undated pictures keep the reading order
// of their file names, then the order given.
QStringList orderByDateTaken(const QStringList& paths);

}  // namespace pixolane::imaging
