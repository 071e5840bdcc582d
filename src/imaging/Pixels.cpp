#include "imaging/Pixels.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace pixolane::imaging {

// The hot loops are also built for AVX2 and picked at load time. AVX2 alone
// brings no fused multiply-add, so both builds round alike: the same bytes on
// every processor.
#if defined(__x86_64__) && defined(__GNUC__) && defined(__linux__)
#define PIXOLANE_WIDE_VECTORS __attribute__((target_clones("avx2", "default")))
#else
#define PIXOLANE_WIDE_VECTORS
#endif

namespace {

double lanczos3(double t) {
  t = std::abs(t);
  if (t < 1e-9) {
    return 1.0;
  }
  if (t >= 3.0) {
    return 0.0;
  }
  const double pt = std::numbers::pi * t;
  return 3.0 * std::sin(pt) * std::sin(pt / 3.0) / (pt * pt);
}

// The weights of every output position along one side: output i reads
// `count` source positions from first[i], edges folded onto the border pixel.
// The count is the same for all outputs so the inner loops have no branches.
struct Taps {
  int count = 0;
  std::vector<int> first;
  std::vector<float> weights;  // count per output
};

// `extent` is the source's true length in its own pixels, which may end in a
// part pixel (the last block of a block shrink).
Taps makeTaps(int inSize, double extent, int outSize) {
  Taps taps;
  taps.first.resize(std::size_t(outSize));
  if (inSize == outSize && extent == inSize) {
    taps.count = 1;
    taps.weights.assign(std::size_t(outSize), 1.0f);
    for (int i = 0; i < outSize; ++i) {
      taps.first[std::size_t(i)] = i;
    }
    return taps;
  }
  const double scale = double(outSize) / extent;
  const double stretch = scale < 1.0 ? 1.0 / scale : 1.0;  // kernel widening
  const double support = 3.0 * stretch;
  // The widest span any output reads, so no padding taps are multiplied.
  taps.count = std::min(inSize, int(std::floor(2.0 * support)) + 1);
  taps.weights.assign(std::size_t(outSize) * std::size_t(taps.count), 0.0f);
  std::vector<double> folded(static_cast<std::size_t>(inSize));
  for (int i = 0; i < outSize; ++i) {
    // Pixel centres line up: output centre i + 0.5 sits at source (i + 0.5) / scale.
    const double centre = (i + 0.5) / scale - 0.5;
    const int lo = int(std::ceil(centre - support));
    const int hi = int(std::floor(centre + support));
    const int minIndex = std::clamp(lo, 0, inSize - 1);
    const int maxIndex = std::clamp(hi, 0, inSize - 1);
    std::fill(folded.begin() + minIndex, folded.begin() + maxIndex + 1, 0.0);
    double sum = 0.0;
    for (int j = lo; j <= hi; ++j) {
      const double w = lanczos3((j - centre) / stretch);
      folded[std::size_t(std::clamp(j, 0, inSize - 1))] += w;
      sum += w;
    }
    const int first = std::clamp(minIndex, 0, inSize - taps.count);
    taps.first[std::size_t(i)] = first;
    float* out = &taps.weights[std::size_t(i) * std::size_t(taps.count)];
    for (int m = minIndex; m <= maxIndex; ++m) {
      out[m - first] = float(folded[std::size_t(m)] / sum);
    }
  }
  return taps;
}

// The source rows in floats, each converted once: output rows move down the
// source monotonically, so the last `count` rows are all that is needed.
class FloatRows {
 public:
  FloatRows(const Pixels& in, int count)
      : in_(in),
        count_(count),
        held_(std::size_t(count), -1),
        rows_(std::size_t(count) * in.rowBytes()) {}

  PIXOLANE_WIDE_VECTORS const float* row(int y) {
    const std::size_t slot = std::size_t(y % count_);
    float* dest = &rows_[slot * in_.rowBytes()];
    if (held_[slot] != y) {
      const std::uint8_t* src = &in_.data[std::size_t(y) * in_.rowBytes()];
      for (std::size_t i = 0; i < in_.rowBytes(); ++i) {
        dest[i] = float(src[i]);
      }
      held_[slot] = y;
    }
    return dest;
  }

 private:
  const Pixels& in_;
  int count_;
  std::vector<int> held_;
  std::vector<float> rows_;
};

// One output row from the source rows first..first+count-1.
PIXOLANE_WIDE_VECTORS void blendRows(FloatRows& source, std::size_t n, const Taps& taps, int y,
                                     std::vector<float>& acc) {
  std::fill(acc.begin(), acc.end(), 0.0f);
  const float* weights = &taps.weights[std::size_t(y) * std::size_t(taps.count)];
  const int first = taps.first[std::size_t(y)];
  float* a = acc.data();
  // Two source rows per sweep over the accumulator halves its memory traffic.
  int k = 0;
  for (; k + 1 < taps.count; k += 2) {
    const float w0 = weights[k];
    const float w1 = weights[k + 1];
    const float* s0 = source.row(first + k);
    const float* s1 = source.row(first + k + 1);
    for (std::size_t i = 0; i < n; ++i) {
      a[i] += w0 * s0[i] + w1 * s1[i];
    }
  }
  if (k < taps.count) {
    const float w = weights[k];
    const float* src = source.row(first + k);
    for (std::size_t i = 0; i < n; ++i) {
      a[i] += w * src[i];
    }
  }
}

std::uint8_t toByte(float v) {
  return std::uint8_t(std::clamp(v + 0.5f, 0.0f, 255.0f));
}

void blendColumnsGrey(const float* row, const Taps& taps, int width, std::uint8_t* out) {
  for (int x = 0; x < width; ++x) {
    const float* w = &taps.weights[std::size_t(x) * std::size_t(taps.count)];
    const float* p = row + taps.first[std::size_t(x)];
    float sum = 0.0f;
    for (int k = 0; k < taps.count; ++k) {
      sum += w[k] * p[k];
    }
    out[x] = toByte(sum);
  }
}

// A pixel's three channels (and a spare lane) in one vector register, so each
// tap is one multiply-add whatever the target's instruction set.
typedef float Float4 __attribute__((vector_size(16)));
typedef int Int4 __attribute__((vector_size(16)));

void storeRgb(Float4 sum, std::uint8_t* out) {
  Float4 v = sum + 0.5f;
  v = v < 0.0f ? Float4{} : v;
  v = v > 255.0f ? Float4{255.0f, 255.0f, 255.0f, 255.0f} : v;
  const Int4 bytes = __builtin_convertvector(v, Int4);
  out[0] = std::uint8_t(bytes[0]);
  out[1] = std::uint8_t(bytes[1]);
  out[2] = std::uint8_t(bytes[2]);
}

PIXOLANE_WIDE_VECTORS void blendColumnsRgb(const float* row, int inWidth, const Taps& taps,
                                           int width, std::vector<Float4>& quads,
                                           std::uint8_t* out) {
  for (int x = 0; x < inWidth; ++x) {
    const float* p = row + std::size_t(x) * 3;
    quads[std::size_t(x)] = Float4{p[0], p[1], p[2], 0.0f};
  }
  const std::size_t count = std::size_t(taps.count);
  const float* weights = taps.weights.data();
  // Four outputs at a time: their sums are independent, so the adds overlap
  // instead of waiting on each other.
  int x = 0;
  for (; x + 3 < width; x += 4) {
    const float* w = weights + std::size_t(x) * count;
    const Float4* p0 = &quads[std::size_t(taps.first[std::size_t(x)])];
    const Float4* p1 = &quads[std::size_t(taps.first[std::size_t(x) + 1])];
    const Float4* p2 = &quads[std::size_t(taps.first[std::size_t(x) + 2])];
    const Float4* p3 = &quads[std::size_t(taps.first[std::size_t(x) + 3])];
    Float4 s0 = {}, s1 = {}, s2 = {}, s3 = {};
    for (std::size_t k = 0; k < count; ++k) {
      s0 += w[k] * p0[k];
      s1 += w[count + k] * p1[k];
      s2 += w[2 * count + k] * p2[k];
      s3 += w[3 * count + k] * p3[k];
    }
    storeRgb(s0, out + std::size_t(x) * 3);
    storeRgb(s1, out + std::size_t(x) * 3 + 3);
    storeRgb(s2, out + std::size_t(x) * 3 + 6);
    storeRgb(s3, out + std::size_t(x) * 3 + 9);
  }
  for (; x < width; ++x) {
    const float* w = weights + std::size_t(x) * count;
    const Float4* p = &quads[std::size_t(taps.first[std::size_t(x)])];
    Float4 sum = {};
    for (std::size_t k = 0; k < count; ++k) {
      sum += w[k] * p[k];
    }
    storeRgb(sum, out + std::size_t(x) * 3);
  }
}

// Averages kx x ky blocks (the last ones may be narrower): the cheap first step of a large shrink,
// as the Lanczos stage then has only a factor below 2 to cover.
PIXOLANE_WIDE_VECTORS Pixels boxShrink(const Pixels& in, int kx, int ky) {
  Pixels out = Pixels::sized((in.width + kx - 1) / kx, (in.height + ky - 1) / ky, in.bands);
  const std::size_t bands = std::size_t(in.bands);
  std::vector<std::uint32_t> columns(in.rowBytes());
  for (int y = 0; y < out.height; ++y) {
    std::fill(columns.begin(), columns.end(), 0u);
    const int rows = std::min(ky, in.height - y * ky);
    for (int dy = 0; dy < rows; ++dy) {
      const std::uint8_t* src = &in.data[std::size_t(y * ky + dy) * in.rowBytes()];
      for (std::size_t i = 0; i < columns.size(); ++i) {
        columns[i] += src[i];
      }
    }
    std::uint8_t* dest = &out.data[std::size_t(y) * out.rowBytes()];
    for (int x = 0; x < out.width; ++x) {
      const int cols = std::min(kx, in.width - x * kx);
      const float scale = 1.0f / float(cols * rows);
      for (std::size_t b = 0; b < bands; ++b) {
        std::uint32_t sum = 0;
        for (int dx = 0; dx < cols; ++dx) {
          sum += columns[std::size_t(x * kx + dx) * bands + b];
        }
        dest[std::size_t(x) * bands + b] = toByte(float(sum) * scale);
      }
    }
  }
  return out;
}

// The block side that leaves the Lanczos stage a shrink between 2 and 4.
int boxFactor(int inSize, int outSize) {
  return std::max(1, inSize / (2 * outSize));
}

}  // namespace

// Rows first (a long, contiguous loop the compiler vectorises), then columns
// on that one float row, so the intermediate never leaves the cache and is
// rounded only once.
namespace {

Pixels resampleExtent(const Pixels& in, double extentX, double extentY, int width, int height) {
  const Taps rows = makeTaps(in.height, extentY, height);
  const Taps columns = makeTaps(in.width, extentX, width);
  Pixels out = Pixels::sized(width, height, in.bands);
  std::vector<float> acc(in.rowBytes());
  std::vector<Float4> quads(in.bands == 3 ? std::size_t(in.width) : 0);
  FloatRows source(in, rows.count);
  for (int y = 0; y < height; ++y) {
    blendRows(source, in.rowBytes(), rows, y, acc);
    std::uint8_t* dest = &out.data[std::size_t(y) * out.rowBytes()];
    if (in.bands == 3) {
      blendColumnsRgb(acc.data(), in.width, columns, width, quads, dest);
    } else {
      blendColumnsGrey(acc.data(), columns, width, dest);
    }
  }
  return out;
}

}  // namespace

Pixels resampleLanczos3(const Pixels& in, int width, int height) {
  if (in.empty() || width <= 0 || height <= 0 || (in.bands != 1 && in.bands != 3)) {
    return {};
  }
  const int kx = boxFactor(in.width, width);
  const int ky = boxFactor(in.height, height);
  if (kx > 1 || ky > 1) {
    // The Lanczos stage works in block units, the last block a part one, so
    // the picture is neither shifted nor stretched by the remainder.
    return resampleExtent(boxShrink(in, kx, ky), double(in.width) / kx, double(in.height) / ky,
                          width, height);
  }
  return resampleExtent(in, in.width, in.height, width, height);
}

Pixels orientUpright(Pixels in, int orientation) {
  if (orientation < 2 || orientation > 8 || in.empty()) {
    return in;
  }
  const int w = in.width;
  const int h = in.height;
  const bool swap = orientation >= 5;
  Pixels out = Pixels::sized(swap ? h : w, swap ? w : h, in.bands);
  const std::size_t bands = std::size_t(in.bands);
  for (int y = 0; y < out.height; ++y) {
    for (int x = 0; x < out.width; ++x) {
      // Where upright (x, y) was stored.
      int sx = x;
      int sy = y;
      switch (orientation) {
        case 2:
          sx = w - 1 - x;
          break;
        case 3:
          sx = w - 1 - x;
          sy = h - 1 - y;
          break;
        case 4:
          sy = h - 1 - y;
          break;
        case 5:
          sx = y;
          sy = x;
          break;
        case 6:
          sx = y;
          sy = h - 1 - x;
          break;
        case 7:
          sx = w - 1 - y;
          sy = h - 1 - x;
          break;
        case 8:
          sx = w - 1 - y;
          sy = x;
          break;
        default:
          break;
      }
      const std::uint8_t* src =
          &in.data[(std::size_t(sy) * std::size_t(w) + std::size_t(sx)) * bands];
      std::uint8_t* dst =
          &out.data[(std::size_t(y) * std::size_t(out.width) + std::size_t(x)) * bands];
      std::copy(src, src + bands, dst);
    }
  }
  return out;
}

}  // namespace pixolane::imaging
