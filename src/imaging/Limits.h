#pragma once
// The largest drawing the imaging road makes. The launch checks refuse a
// target size beyond it, so a run never starts only to fail on every picture.
#include <cstdint>

namespace pixolane::imaging {

// JPEG itself stops at 65,535 pixels a side.
constexpr int kMaxSide = 65500;
// Beyond this a drawing would risk gigabytes of memory.
constexpr std::int64_t kMaxPixels = 150'000'000;
constexpr int kMaxMegapixels = int(kMaxPixels / 1'000'000);

// A progressive JPEG is held whole while it decodes, as coefficients of two
// bytes a sample. This is room for the largest drawing's pixel count in three
// full-resolution channels; a file that claims more (a few bytes can claim
// 65,000 pixels a side) is refused before libjpeg takes the memory.
constexpr long kMaxCoefficientBytes = long(kMaxPixels) * 3 * 2;

constexpr bool drawableSize(std::int64_t width, std::int64_t height) {
  return width > 0 && height > 0 && width <= kMaxSide && height <= kMaxSide &&
         width * height <= kMaxPixels;
}

}  // namespace pixolane::imaging
