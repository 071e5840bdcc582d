// The private-data strip, which also writes a new EXIF block: its output is a
// JPEG whose pixels are the input's, carries no GPS position, and is its own
// strip (nothing left to remove, nothing written that reads otherwise).
#include "FuzzSupport.h"
#include "imaging/ExifDate.h"
#include "imaging/StripPrivate.h"

using namespace pixolane;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::quietQt();
  static fuzz::InputFile file;
  const QByteArray input(reinterpret_cast<const char*>(data), qsizetype(size));
  const imaging::Stripped stripped = imaging::stripPrivate(input);
  if (!stripped.ok) {
    FUZZ_CHECK(stripped.bytes.isEmpty());
    return 0;
  }
  FUZZ_CHECK(!imaging::hasGpsPosition(imaging::readExifBlock(file.write(stripped.bytes))));

  const imaging::Stripped again = imaging::stripPrivate(stripped.bytes);
  FUZZ_CHECK(again.ok && again.bytes == stripped.bytes);

  // Small pictures only: the comparison decodes both whole.
  constexpr long kMaxPixels = 1L << 18;
  const fuzz::Reference before = fuzz::referenceJpeg(input, kMaxPixels);
  if (before.decoded) {
    const fuzz::Reference after = fuzz::referenceJpeg(stripped.bytes, kMaxPixels);
    FUZZ_CHECK(after.decoded);
    FUZZ_CHECK(after.width == before.width && after.height == before.height);
    FUZZ_CHECK(after.pixels == before.pixels);
  }
  return 0;
}
