// CImageInfo on any file: no read outside its buffer, and for every JPEG
// libjpeg reads, the same width and height as libjpeg.
#include "FuzzSupport.h"
#include "imaging/CImageInfo.h"

using namespace pixolane;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::quietQt();
  static fuzz::InputFile file;
  imaging::CImageInfo info;
  FUZZ_CHECK(info.ReadImageInfo(file.write(data, size)) != imaging::CImageInfo::Status::CannotRead);

  const fuzz::Reference jpeg = fuzz::referenceJpeg(data, size, 0);
  // The walk's own ways, kept from the original reader, are left out of the
  // comparison: it reads no further than 65,525 bytes, and takes bytes
  // between segments and the markers without a length as segments.
  if (jpeg.header && !jpeg.extraneous && !jpeg.parameterless && jpeg.frameAt - 2 < 65525) {
    FUZZ_CHECK(info.ImageType() == imaging::CImageInfo::Jpeg);
    FUZZ_CHECK(info.Width() == jpeg.width);
    FUZZ_CHECK(info.Height() == jpeg.height);
  }
  return 0;
}
