// The colour profile gathered from a JPEG's APP2 segments and the conversion
// built from it, on the decoder's road (at 1/8, as a gallery's thumbnails).
#include "FuzzSupport.h"
#include "imaging/ColourProfiles.h"
#include "imaging/JpegCodec.h"

using namespace pixolane;

namespace {

class Converted final : public imaging::JpegRows {
 public:
  void start(int width, int, imaging::SampleLayout layout,
             const std::vector<std::uint8_t>& profile) override {
    width_ = width;
    conversion_ = imaging::conversionToSrgb(profile.data(), profile.size(), layout);
    out_.assign(std::size_t(width) * 4, 0);
    if (conversion_)
      FUZZ_CHECK(conversion_->from() == layout);
  }
  void row(const std::uint8_t* samples) override {
    if (conversion_)
      conversion_->convert(samples, out_.data(), std::size_t(width_));
  }

 private:
  int width_ = 0;
  std::shared_ptr<const imaging::ColourConversion> conversion_;
  std::vector<std::uint8_t> out_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::quietQt();
  static fuzz::InputFile file;
  // Large pictures cost the fuzzer time, not coverage: their headers are
  // read, not their rows.
  const fuzz::Reference jpeg = fuzz::referenceJpeg(data, size, 0);
  if (!jpeg.header || long(jpeg.width) * jpeg.height > (1L << 22))
    return 0;
  Converted rows;
  (void)imaging::decodeJpegFile(file.write(data, size), 8, rows);
  return 0;
}
