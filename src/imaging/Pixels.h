#pragma once
// Decoded pictures as plain 8-bit buffers, and the geometry done on them:
// resampling to an exact size and turning upright. Free functions on values,
// so the tests call them directly.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace pixolane::imaging {

struct Pixels {
  int width = 0;
  int height = 0;
  int bands = 0;                   // 1 (grey) or 3 (RGB)
  std::vector<std::uint8_t> data;  // rows packed, bands interleaved

  bool empty() const { return width <= 0 || height <= 0 || data.empty(); }
  std::size_t rowBytes() const { return std::size_t(width) * std::size_t(bands); }
  static Pixels sized(int width, int height, int bands) {
    Pixels p{width, height, bands, {}};
    p.data.resize(p.rowBytes() * std::size_t(height));
    return p;
  }
};

// Stretches to exactly width x height with a Lanczos-3 filter widened by the
// shrink factor (every source pixel weighs in, so nothing aliases), edges
// repeated. Empty when either size is not positive.
Pixels resampleLanczos3(const Pixels& in, int width, int height);

// Turns pixels stored with an EXIF orientation (1..8) upright; other values
// leave them as they are.
Pixels orientUpright(Pixels in, int orientation);

}  // namespace pixolane::imaging
