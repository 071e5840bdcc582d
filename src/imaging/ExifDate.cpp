#include "imaging/ExifDate.h"

#include <QFile>

#include <algorithm>
#include <vector>

#include "imaging/Tiff.h"
#include "platform/PictureListing.h"

namespace pixolane::imaging {

namespace {

constexpr std::uint16_t kDateTimeOriginal = 0x9003;
constexpr std::uint16_t kSubSecTimeOriginal = 0x9291;

// An ASCII value without its terminating zeros and trailing blanks.
QByteArray asciiValue(const TiffView& tiff, const TiffEntry& entry) {
  if (entry.type != 2)
    return {};
  QByteArray value(reinterpret_cast<const char*>(tiff.data() + entry.valueAt),
                   qsizetype(entry.valueSize));
  const qsizetype zero = value.indexOf('\0');
  if (zero >= 0)
    value.truncate(zero);
  return value.trimmed();
}

bool isDate(const QByteArray& v) {
  // "YYYY:MM:DD HH:MM:SS"; cameras without a clock write zeros or blanks.
  static const char kForm[] = "dddd:dd:dd dd:dd:dd";
  if (v.size() != 19)
    return false;
  for (int i = 0; i < 19; ++i) {
    const bool digit = v[i] >= '0' && v[i] <= '9';
    if (kForm[i] == 'd' ? !digit : v[i] != kForm[i] && !(i == 10 && v[i] == 'T'))
      return false;
  }
  return !v.startsWith("0000");
}

}  // namespace

QByteArray readExifBlock(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly))
    return {};
  const QByteArray soi = file.read(2);
  if (soi != QByteArray("\xFF\xD8", 2))
    return {};
  for (;;) {
    char byte = 0;
    if (!file.getChar(&byte) || uchar(byte) != 0xFF)
      return {};
    uchar marker = 0xFF;
    while (marker == 0xFF) {  // fill bytes may stand before a marker
      if (!file.getChar(&byte))
        return {};
      marker = uchar(byte);
    }
    if (marker == 0xDA || marker == 0xD9)  // the first scan, or the end
      return {};
    if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7))
      continue;  // markers without a length
    const QByteArray lengthBytes = file.read(2);
    if (lengthBytes.size() != 2)
      return {};
    const int length = (uchar(lengthBytes[0]) << 8) | uchar(lengthBytes[1]);
    if (length < 2)
      return {};
    if (marker == 0xE1) {
      const QByteArray payload = file.read(length - 2);
      if (payload.size() != length - 2)
        return {};
      if (payload.startsWith(QByteArray("Exif\0\0", 6)))
        return payload.mid(6);
    } else if (!file.seek(file.pos() + length - 2)) {
      return {};
    }
  }
}

QByteArray dateTakenKey(const QByteArray& exifBlock) {
  const TiffView tiff(reinterpret_cast<const unsigned char*>(exifBlock.constData()),
                      std::size_t(exifBlock.size()));
  const auto exif = tiff.subDirectory(kExifPointerTag);
  if (!exif)
    return {};
  QByteArray date, subSec;
  for (const TiffEntry& e : tiff.entries(*exif)) {
    if (e.tag == kDateTimeOriginal)
      date = asciiValue(tiff, e);
    else if (e.tag == kSubSecTimeOriginal)
      subSec = asciiValue(tiff, e);
  }
  if (!isDate(date))
    return {};
  date[10] = ' ';
  // "5" is half a second and "050" a twentieth: digits after the point, padded.
  QByteArray fraction;
  for (char c : subSec) {
    if (c < '0' || c > '9')
      break;
    fraction += c;
  }
  return date + '.' + fraction.leftJustified(9, '0', true);
}

QStringList orderByDateTaken(const QStringList& paths) {
  struct Item {
    QByteArray key;
    QString name;
    int index;
  };
  std::vector<Item> items;
  items.reserve(std::size_t(paths.size()));
  for (int i = 0; i < paths.size(); ++i) {
    const QString& path = paths.at(i);
    const qsizetype slash = std::max(path.lastIndexOf('/'), path.lastIndexOf('\\'));
    items.push_back({dateTakenKey(readExifBlock(path)), path.mid(slash + 1), i});
  }
  std::sort(items.begin(), items.end(), [](const Item& a, const Item& b) {
    if (a.key.isEmpty() != b.key.isEmpty())
      return b.key.isEmpty();  // dated first
    if (a.key != b.key)
      return a.key < b.key;
    if (const int c = platform::compareForReading(a.name, b.name))
      return c < 0;
    return a.index < b.index;
  });
  QStringList out;
  out.reserve(paths.size());
  for (const Item& item : items)
    out << paths.at(item.index);
  return out;
}

}  // namespace pixolane::imaging
