#include "imaging/StripPrivate.h"

#include <QtEndian>

#include <algorithm>
#include <optional>
#include <set>

#include "imaging/ExifDate.h"
#include "imaging/Tiff.h"

namespace pixolane::imaging {

namespace {

constexpr std::uint16_t kInteropPointer = 0xA005;

// Tags that say where, who or which camera: they go wherever they stand.
const std::set<std::uint16_t> kPrivateTags = {
    0x013B,  // Artist
    0x02BC,  // XMP packet, with its own copies of all of these
    0x83BB,  // IPTC record, the same
    0x8825,  // the GPS directory
    0x927C,  // MakerNote (serial numbers, owner, sometimes places)
    0x9286,  // UserComment: free text, often a name or an address
    0x9C9D,  // XPAuthor
    0xA430,  // CameraOwnerName
    0xA431,  // BodySerialNumber
    0xA435,  // LensSerialNumber
    0xC62F,  // CameraSerialNumber
    0xFDE8,  // OwnerName (raw converters)
    0xFDE9,  // SerialNumber (raw converters)
};

// Offsets into the old layout that would point nowhere once the block is
// rewritten: the preview's data, strips, tiles and directories not followed.
const std::set<std::uint16_t> kStaleOffsets = {0x0111, 0x0117, 0x0144, 0x0145,
                                               0x014A, 0x0201, 0x0202};

constexpr qsizetype kMaxExifBody = 65533 - 6;  // a segment's length field, less "Exif\0\0"

class ExifWriter {
 public:
  explicit ExifWriter(const TiffView& tiff) : tiff_(tiff) {}

  // The new TIFF body: the first directory only (no preview), its EXIF and
  // interoperability directories, without private tags. Empty on failure.
  QByteArray write() {
    out_ = QByteArray(reinterpret_cast<const char*>(tiff_.data()), 4);
    putU32(8);
    if (!directory(tiff_.firstDirectory(), 0))
      return {};
    return out_;
  }

 private:
  bool directory(std::size_t from, int depth) {
    if (depth > 2 || !visited_.insert(from).second)
      return false;
    struct Kept {
      TiffEntry entry;
      std::optional<std::size_t> subDirectory;
    };
    std::vector<Kept> kept;
    for (const TiffEntry& e : tiff_.entries(from)) {
      const bool followed =
          (depth == 0 && e.tag == kExifPointerTag) || (depth == 1 && e.tag == kInteropPointer);
      if (kPrivateTags.count(e.tag) || kStaleOffsets.count(e.tag))
        continue;
      const auto sub = followed ? tiff_.pointer(e) : std::nullopt;
      if (followed ? !sub : e.type == 13)
        continue;
      kept.push_back({e, sub});
    }
    const qsizetype start = out_.size();
    putU16(std::uint16_t(kept.size()));
    std::vector<std::pair<qsizetype, std::size_t>> subDirectories;  // where to patch, source
    std::vector<std::pair<qsizetype, const TiffEntry*>> outside;
    for (const Kept& k : kept) {
      const TiffEntry& e = k.entry;
      putU16(e.tag);
      putU16(e.type);
      putU32(e.count);
      const qsizetype valueField = out_.size();
      if (k.subDirectory) {
        subDirectories.push_back({valueField, *k.subDirectory});
        putU32(0);
      } else if (e.valueSize <= 4) {
        out_.append(raw(e.entryAt + 8, 4));
      } else {
        outside.push_back({valueField, &e});
        putU32(0);
      }
    }
    putU32(0);  // no next directory: the preview's goes
    for (const auto& [field, e] : outside) {
      if (out_.size() % 2)
        out_.append('\0');  // values start on a word boundary
      // Checked as it grows: entries may all name one large value, and the
      // copies of a 64 KB block would then take hundreds of megabytes.
      if (out_.size() + qsizetype(e->valueSize) > kMaxExifBody)
        return false;
      patchU32(field, std::uint32_t(out_.size()));
      out_.append(raw(e->valueAt, e->valueSize));
    }
    for (const auto& [field, source] : subDirectories) {
      if (out_.size() % 2)
        out_.append('\0');
      const qsizetype at = out_.size();
      if (!directory(source, depth + 1)) {
        // An unreadable sub-directory is left out: its entry points at an
        // empty directory.
        out_.truncate(at);
        putU16(0);
        putU32(0);
      }
      patchU32(field, std::uint32_t(at));
    }
    return out_.size() > start && out_.size() <= kMaxExifBody;
  }

  QByteArray raw(std::size_t at, std::size_t size) const {
    return QByteArray(reinterpret_cast<const char*>(tiff_.data() + at), qsizetype(size));
  }
  void putU16(std::uint16_t v) { put(v); }
  void putU32(std::uint32_t v) { put(v); }
  void patchU32(qsizetype at, std::uint32_t v) { store(v, out_.data() + at); }

  // In the block's own byte order.
  template <typename T>
  void store(T v, char* at) const {
    if (tiff_.bigEndian())
      qToBigEndian(v, at);
    else
      qToLittleEndian(v, at);
  }
  template <typename T>
  void put(T v) {
    char b[sizeof(T)];
    store(v, b);
    out_.append(b, qsizetype(sizeof(T)));
  }

  const TiffView& tiff_;
  QByteArray out_;
  std::set<std::size_t> visited_;
};

QByteArray rewriteExif(const QByteArray& body) {
  const TiffView tiff(reinterpret_cast<const unsigned char*>(body.constData()),
                      std::size_t(body.size()));
  if (!tiff.ok())
    return {};
  return ExifWriter(tiff).write();
}

bool startsWith(const QByteArray& bytes, qsizetype at, const char* prefix, qsizetype n) {
  return bytes.size() - at >= n && std::equal(prefix, prefix + n, bytes.constData() + at);
}

// Whether an application or comment segment stays; `payload` is its first byte.
bool keepSegment(uchar marker, const QByteArray& jpeg, qsizetype payload) {
  switch (marker) {
    case 0xE0:  // JFIF
    case 0xFE:  // comment
      return true;
    case 0xE2:
      return startsWith(jpeg, payload, "ICC_PROFILE\0", 12);
    case 0xEE:  // Adobe: says how the colours were transformed
      return startsWith(jpeg, payload, "Adobe", 5);
    default:
      return marker < 0xE0 || marker > 0xEF;  // tables and frames, never application data
  }
}

// The end of a scan's entropy-coded data: the next marker that is neither a
// stuffed zero nor a restart.
qsizetype scanEnd(const QByteArray& jpeg, qsizetype from) {
  const qsizetype n = jpeg.size();
  for (qsizetype i = from; i + 1 < n; ++i) {
    if (uchar(jpeg[i]) != 0xFF)
      continue;
    const uchar next = uchar(jpeg[i + 1]);
    if (next == 0x00 || (next >= 0xD0 && next <= 0xD7) || next == 0xFF)
      continue;
    return i;
  }
  return n;
}

}  // namespace

bool hasGpsPosition(const QByteArray& exifBlock) {
  const TiffView tiff(reinterpret_cast<const unsigned char*>(exifBlock.constData()),
                      std::size_t(exifBlock.size()));
  const auto gps = tiff.subDirectory(kGpsPointerTag);
  if (!gps)
    return false;
  for (const TiffEntry& e : tiff.entries(*gps)) {
    if (e.tag == 0x0002 || e.tag == 0x0004)  // GPSLatitude, GPSLongitude
      return true;
  }
  return false;
}

int countWithGpsPosition(const QStringList& paths) {
  return int(std::count_if(paths.begin(), paths.end(), [](const QString& path) {
    return hasGpsPosition(readExifBlock(path));
  }));
}

Stripped stripPrivate(const QByteArray& jpeg) {
  const qsizetype n = jpeg.size();
  if (n < 4 || uchar(jpeg[0]) != 0xFF || uchar(jpeg[1]) != 0xD8)
    return {};
  QByteArray out = jpeg.left(2);
  out.reserve(n);
  qsizetype pos = 2;
  bool scan = false;  // without one there is no picture to publish
  while (pos < n) {
    if (uchar(jpeg[pos]) != 0xFF)
      return {};
    qsizetype at = pos;
    while (at + 1 < n && uchar(jpeg[at + 1]) == 0xFF)
      ++at;  // fill bytes
    if (at + 1 >= n)
      break;
    const uchar marker = uchar(jpeg[at + 1]);
    if (marker == 0xD9) {
      out.append(jpeg.mid(pos, at + 2 - pos));
      return {scan, scan ? out : QByteArray()};  // what follows the picture's end (previews) goes
    }
    if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) {
      out.append(jpeg.mid(pos, at + 2 - pos));
      pos = at + 2;
      continue;
    }
    if (at + 4 > n)
      return {};
    const qsizetype length = (uchar(jpeg[at + 2]) << 8) | uchar(jpeg[at + 3]);
    const qsizetype end = at + 2 + length;
    if (length < 2 || end > n)
      return {};
    const qsizetype payload = at + 4;
    if (marker == 0xE1 && startsWith(jpeg, payload, "Exif\0\0", 6)) {
      const QByteArray body = rewriteExif(jpeg.mid(payload + 6, end - payload - 6));
      if (!body.isEmpty()) {
        const qsizetype newLength = 2 + 6 + body.size();
        out.append(jpeg.mid(pos, at + 2 - pos));
        out.append(char(newLength >> 8));
        out.append(char(newLength & 0xFF));
        out.append("Exif\0\0", 6);
        out.append(body);
      }
      pos = end;
    } else if (marker == 0xDA) {
      scan = true;
      const qsizetype dataEnd = scanEnd(jpeg, end);
      out.append(jpeg.mid(pos, dataEnd - pos));
      pos = dataEnd;
    } else {
      if (keepSegment(marker, jpeg, payload))
        out.append(jpeg.mid(pos, end - pos));
      pos = end;
    }
  }
  return {scan, scan ? out : QByteArray()};  // a picture cut short keeps what it has
}

}  // namespace pixolane::imaging
