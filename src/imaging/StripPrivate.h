#pragma once
// What a published copy of a photograph should not carry: where it was taken,
// who owns the camera, the camera's serial numbers, the maker's private notes
// and the small preview images. Removing them is lossless: the compressed
// picture data, the colour profile, the orientation and the copyright stay
// byte for byte.
#include <QByteArray>
#include <QString>
#include <QStringList>

namespace pixolane::imaging {

// True when the EXIF block (readExifBlock) holds a GPS latitude or longitude.
bool hasGpsPosition(const QByteArray& exifBlock);

// How many of the files carry a GPS position in their EXIF block.
int countWithGpsPosition(const QStringList& paths);

// Raised whenever stripPrivate removes more or other data: copies stripped by
// an earlier version are then made again instead of kept.
inline constexpr int kStripVersion = 2;

struct Stripped {
  bool ok = false;  // false: not a JPEG this can read, or no picture in it; `bytes` empty
  QByteArray bytes;
};

// The JPEG file's bytes without the private metadata:
// - the EXIF block is rewritten without its GPS directory, its second
//   directory (the embedded preview), the maker notes, serial numbers,
//   owner or author names and the user's comment; every other tag (the
//   copyright notice among them) keeps its bytes;
// - XMP, IPTC and the other application blocks that hold copies of such data
//   go, and so do the multi-picture previews and anything after the picture's
//   end; JFIF, the ICC profile, Adobe's colour block and comments stay;
// - from the first table to the end of the picture, every byte is the file's.
// An EXIF block too damaged to read goes whole.
Stripped stripPrivate(const QByteArray& jpeg);

}  // namespace pixolane::imaging
