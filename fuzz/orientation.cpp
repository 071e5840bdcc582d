// The orientation reader: the EXIF block's tag on its own, and through the
// header reader that every picture goes through first.
#include "FuzzSupport.h"
#include "imaging/JpegCodec.h"

using namespace pixolane;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::quietQt();
  static fuzz::InputFile file;
  const int direct = imaging::exifOrientation(data, size);
  FUZZ_CHECK(direct >= 1 && direct <= 8);

  imaging::JpegHeader header;
  if (imaging::readJpegHeader(file.write(data, size), header)) {
    FUZZ_CHECK(header.orientation >= 1 && header.orientation <= 8);
    FUZZ_CHECK(header.width > 0 && header.height > 0);
    const fuzz::Reference jpeg = fuzz::referenceJpeg(data, size, 0);
    FUZZ_CHECK(jpeg.header && header.width == jpeg.width && header.height == jpeg.height);
  } else {
    FUZZ_CHECK(header.width == 0 && header.orientation == 1);
  }
  return 0;
}
