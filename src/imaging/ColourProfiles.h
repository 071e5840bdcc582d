#pragma once
// Embedded colour profiles turned into sRGB by Little CMS: the numbers a
// camera, a phone or a photo editor wrote in its own space (Display P3, Adobe
// RGB, a printer's CMYK) become the numbers the web shows.
#include <cstddef>
#include <cstdint>
#include <memory>

namespace pixolane::imaging {

// How the decoded samples are laid out.
enum class SampleLayout {
  Grey,
  Rgb,
  Cmyk,          // 0 is no ink
  InvertedCmyk,  // as Adobe writes CMYK and YCCK JPEGs: 0 is full ink
};

// One conversion to sRGB (grey to grey with the sRGB tone curve). Safe to use
// from several threads at once.
class ColourConversion {
 public:
  virtual ~ColourConversion() = default;
  SampleLayout from() const { return from_; }
  int outBands() const { return from_ == SampleLayout::Grey ? 1 : 3; }
  // Converts `count` pixels; in and out may be the same buffer when the
  // layout keeps its width (grey, RGB).
  virtual void convert(const std::uint8_t* in, std::uint8_t* out, std::size_t count) const = 0;

 protected:
  explicit ColourConversion(SampleLayout from) : from_(from) {}

 private:
  SampleLayout from_;
};

// The conversion for an embedded profile (null, size 0 when there is none).
// Null when nothing needs doing: grey or RGB without a profile, a profile
// that gives sRGB's numbers back (within one level), or a profile that is
// broken or does not fit the samples (their numbers are then kept, as a
// browser would). CMYK always gets one: without a usable profile, the plain
// ink formula. Conversions are kept per profile, so each is built once.
std::shared_ptr<const ColourConversion> conversionToSrgb(const std::uint8_t* profile,
                                                         std::size_t size, SampleLayout layout);

}  // namespace pixolane::imaging
