// The EXIF block's reader (a JPEG's segments up to the first scan), the TIFF
// walker and the date and GPS readers on it. The input is tried both as a
// JPEG file and as an EXIF block itself, so mutations reach the TIFF walker
// directly.
#include <QSet>

#include "FuzzSupport.h"
#include "imaging/ExifDate.h"
#include "imaging/StripPrivate.h"
#include "imaging/Tiff.h"

using namespace pixolane;

namespace {

void readBlock(const QByteArray& block) {
  const QByteArray key = imaging::dateTakenKey(block);
  // "YYYY:MM:DD HH:MM:SS.fffffffff", or nothing.
  FUZZ_CHECK(key.isEmpty() || (key.size() == 29 && key[10] == ' ' && key[19] == '.'));
  (void)imaging::hasGpsPosition(block);

  // Every directory the block chains, each entry's value read whole.
  const imaging::TiffView tiff(reinterpret_cast<const unsigned char*>(block.constData()),
                               std::size_t(block.size()));
  QSet<std::size_t> seen;
  unsigned sum = 0;
  for (std::size_t at = tiff.firstDirectory(); at && !seen.contains(at);
       at = tiff.nextDirectory(at)) {
    seen.insert(at);
    for (const imaging::TiffEntry& e : tiff.entries(at)) {
      FUZZ_CHECK(e.valueAt <= tiff.size() && e.valueSize <= tiff.size() - e.valueAt);
      for (std::size_t i = 0; i < e.valueSize; ++i)
        sum += tiff.data()[e.valueAt + i];
      if (const auto sub = tiff.pointer(e))
        FUZZ_CHECK(*sub < tiff.size());
    }
  }
  (void)sum;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::quietQt();
  static fuzz::InputFile file;
  const QByteArray block = imaging::readExifBlock(file.write(data, size));
  readBlock(block);
  readBlock(QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size)));
  return 0;
}
