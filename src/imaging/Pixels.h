#pragma once
// Decoded pictures as plain 8-bit buffers, and the geometry done on them:
// resampling to an exact size and turning upright. Free functions on values,
// so the tests call them directly.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace pixolane::imaging {

struct Pixels {
  int width = 0;
  int height = 0;
  int bands = 0;                   // 1 (grey), 3 (RGB); 4 only for CMYK as decoded
  std::vector<std::uint8_t> data;  // rows packed, bands interleaved

  bool empty() const { return width <= 0 || height <= 0 || data.empty(); }
  std::size_t rowBytes() const { return std::size_t(width) * std::size_t(bands); }
  static Pixels sized(int width, int height, int bands) {
    Pixels p{width, height, bands, {}};
    p.data.resize(p.rowBytes() * std::size_t(height));
    return p;
  }
};

// Which build of the resampler's loops runs: the widest the processor has, or
// the plain one every x86-64 has. Both give the same bytes.
enum class Kernels { Best, Plain };

// Stretches to exactly width x height with a Lanczos-3 filter widened by the
// shrink factor (every source pixel weighs in, so nothing aliases), edges
// repeated; a box average first when the shrink is 2 or more. Source rows are
// taken one at a time, in order, as a decoder gives them, and each output row
// is drawn as soon as its source rows are in: memory holds a few rows of the
// source, never the whole of it.
class Resampler {
 public:
  // Empty output when a size is not positive or bands is not 1 or 3.
  Resampler(int inWidth, int inHeight, int bands, int outWidth, int outHeight,
            Kernels kernels = Kernels::Best);
  ~Resampler();
  Resampler(const Resampler&) = delete;
  Resampler& operator=(const Resampler&) = delete;

  // The next source row: inWidth x bands bytes. Rows past the last are ignored.
  void push(const std::uint8_t* row);
  bool complete() const;
  // The drawing, once every source row is in (empty before).
  Pixels take();

 private:
  struct State;
  std::unique_ptr<State> d;
};

// The whole of `in` through a Resampler.
Pixels resampleLanczos3(const Pixels& in, int width, int height, Kernels kernels = Kernels::Best);

// Turns pixels stored with an EXIF orientation (1..8) upright; other values
// leave them as they are.
Pixels orientUpright(Pixels in, int orientation);

}  // namespace pixolane::imaging
