#include "imaging/Pixels.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>
#include <vector>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace pixolane::imaging {

namespace {

typedef float Float4 __attribute__((vector_size(16)));
typedef int Int4 __attribute__((vector_size(16)));
typedef double Double4 __attribute__((vector_size(32)));
typedef std::uint32_t UInt4 __attribute__((vector_size(16)));
// Unaligned (element alignment) over plain floats: a std::vector of a vector
// type this wide would not be aligned for it.
typedef float Float8 __attribute__((vector_size(32), aligned(4), may_alias));

// The inner loops, one table per build.
struct ResampleKernels {
  void (*addRow)(const std::uint8_t* src, std::size_t n, bool first, std::uint32_t* sums);
  void (*boxRow)(const std::uint32_t* columns, int inWidth, int bands, int kx, int rows,
                 std::uint8_t* dest);
  void (*blendRows)(const std::uint8_t* const* rows, const float* weights, int count, std::size_t n,
                    float* acc);
  void (*blendColumnsGrey)(const float* row, const int* first, const float* weights, int count,
                           int width, std::uint8_t* out);
  void (*blendColumnsRgb)(const float* row, int inWidth, const int* first, const float* weights,
                          int count, int width, Float8* pairs, std::uint8_t* out);
};

namespace plain {
#include "imaging/ResampleKernels.inc"
}  // namespace plain

#if defined(__x86_64__) && defined(__GNUC__)
#define PIXOLANE_AVX2_KERNELS 1
#pragma GCC push_options
#pragma GCC target("avx2")
// (The pragma does not define __AVX2__: the loops are told so here. Clang
// ignores the pragma, so its "wide" build stays plain and takes no intrinsics.)
#if !defined(__clang__)
#define PIXOLANE_KERNELS_AVX2 1
#endif
namespace wide {
#include "imaging/ResampleKernels.inc"
}  // namespace wide
#undef PIXOLANE_KERNELS_AVX2
#pragma GCC pop_options
#endif

const ResampleKernels& kernelsFor(Kernels which) {
#ifdef PIXOLANE_AVX2_KERNELS
  static const bool avx2 = __builtin_cpu_supports("avx2");
  if (which == Kernels::Best && avx2) {
    return wide::kKernels;
  }
#else
  (void)which;
#endif
  return plain::kKernels;
}

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

// makeTaps through a small cache per thread: a run draws the same two or
// three sizes from photographs of the same size again and again, and the
// weights (two sines a tap) cost as much as a tenth of the resampling.
Taps tapsFor(int inSize, double extent, int outSize) {
  struct Entry {
    int inSize;
    double extent;
    int outSize;
    Taps taps;
  };
  thread_local std::vector<Entry> recent;
  thread_local std::size_t next = 0;
  for (const Entry& e : recent) {
    if (e.inSize == inSize && e.extent == extent && e.outSize == outSize) {
      return e.taps;
    }
  }
  Taps taps = makeTaps(inSize, extent, outSize);
  // Only the usual sizes (800 outputs of 16 taps are 12,800 weights): a
  // huge enlargement's weights are not worth keeping for the thread's life.
  if (taps.weights.size() > 65536) {
    return taps;
  }
  constexpr std::size_t kKept = 8;
  Entry entry{inSize, extent, outSize, taps};
  if (recent.size() < kKept) {
    recent.push_back(std::move(entry));
  } else {
    recent[next] = std::move(entry);
    next = (next + 1) % kKept;
  }
  return taps;
}

// The block side that leaves the Lanczos stage a shrink between 2 and 4.
int boxFactor(int inSize, int outSize) {
  return std::max(1, inSize / (2 * outSize));
}

}  // namespace

// Blocks first (column sums of ky rows, then kx x ky averages), then the
// Lanczos stage on the block rows: rows first (a long, contiguous loop the
// compiler vectorises) into one float row, then columns on it, so the
// intermediate never leaves the cache and is rounded only once. The Lanczos
// stage works in block units, the last block a part one, so the picture is
// neither shifted nor stretched by the remainder.
struct Resampler::State {
  const ResampleKernels& k;
  int inWidth, inHeight, bands, kx, ky;
  int boxWidth, boxHeight;
  Taps rows, columns;
  Pixels out;
  int pushed = 0;                           // source rows taken
  int blocks = 0;                           // block rows made
  int inBlock = 0;                          // source rows summed into the current block row
  std::vector<std::uint32_t> sums;          // column sums of the current block row (and one spare)
  std::vector<std::uint8_t> block;          // the block row, as bytes
  std::vector<std::uint8_t> ring;           // the last rows.count block rows
  std::vector<const std::uint8_t*> window;  // the rows one output reads
  std::vector<float> acc;
  std::vector<float> pairs;  // 8 per pixel: the column pass's pixel pairs
  int next = 0;              // next output row

  State(const ResampleKernels& kernels, int w, int h, int b, int outW, int outH)
      : k(kernels),
        inWidth(w),
        inHeight(h),
        bands(b),
        kx(boxFactor(w, outW)),
        ky(boxFactor(h, outH)),
        boxWidth((w + kx - 1) / kx),
        boxHeight((h + ky - 1) / ky),
        rows(tapsFor(boxHeight, double(h) / ky, outH)),
        columns(tapsFor(boxWidth, double(w) / kx, outW)),
        out(Pixels::sized(outW, outH, b)) {
    const std::size_t boxBytes = std::size_t(boxWidth) * std::size_t(bands);
    if (blocked()) {
      // The spare sum lets boxRow read a pixel's three sums as four.
      sums.assign(std::size_t(inWidth) * std::size_t(bands) + 1, 0u);
      block.resize(boxBytes);
    }
    ring.resize(std::size_t(rows.count) * boxBytes);
    window.resize(std::size_t(rows.count));
    acc.resize(boxBytes);
    pairs.resize(bands == 3 ? std::size_t(boxWidth) * 8 : 0);
  }

  bool blocked() const { return kx > 1 || ky > 1; }

  void take(const std::uint8_t* row) {
    if (!blocked()) {
      blockRow(row);
      return;
    }
    k.addRow(row, std::size_t(inWidth) * std::size_t(bands), inBlock == 0, sums.data());
    if (++inBlock == ky || pushed + 1 == inHeight) {
      k.boxRow(sums.data(), inWidth, bands, kx, inBlock, block.data());
      inBlock = 0;
      blockRow(block.data());
    }
  }

  // A block row is in: draw every output row whose source rows all are.
  void blockRow(const std::uint8_t* row) {
    const std::size_t boxBytes = std::size_t(boxWidth) * std::size_t(bands);
    std::copy(row, row + boxBytes, &ring[std::size_t(blocks % rows.count) * boxBytes]);
    ++blocks;
    while (next < out.height && rows.first[std::size_t(next)] + rows.count <= blocks) {
      draw(next++);
    }
  }

  void draw(int y) {
    const std::size_t boxBytes = std::size_t(boxWidth) * std::size_t(bands);
    const int first = rows.first[std::size_t(y)];
    for (int i = 0; i < rows.count; ++i) {
      window[std::size_t(i)] = &ring[std::size_t((first + i) % rows.count) * boxBytes];
    }
    k.blendRows(window.data(), &rows.weights[std::size_t(y) * std::size_t(rows.count)], rows.count,
                boxBytes, acc.data());
    std::uint8_t* dest = &out.data[std::size_t(y) * out.rowBytes()];
    if (bands == 3) {
      k.blendColumnsRgb(acc.data(), boxWidth, columns.first.data(), columns.weights.data(),
                        columns.count, out.width, reinterpret_cast<Float8*>(pairs.data()), dest);
    } else {
      k.blendColumnsGrey(acc.data(), columns.first.data(), columns.weights.data(), columns.count,
                         out.width, dest);
    }
  }
};

Resampler::Resampler(int inWidth, int inHeight, int bands, int outWidth, int outHeight,
                     Kernels kernels) {
  if (inWidth > 0 && inHeight > 0 && outWidth > 0 && outHeight > 0 && (bands == 1 || bands == 3)) {
    d = std::make_unique<State>(kernelsFor(kernels), inWidth, inHeight, bands, outWidth, outHeight);
  }
}

Resampler::~Resampler() = default;

void Resampler::push(const std::uint8_t* row) {
  if (d && d->pushed < d->inHeight) {
    d->take(row);
    ++d->pushed;
  }
}

bool Resampler::complete() const {
  return d && d->next == d->out.height;
}

Pixels Resampler::take() {
  return complete() ? std::move(d->out) : Pixels{};
}

Pixels resampleLanczos3(const Pixels& in, int width, int height, Kernels kernels) {
  if (in.empty()) {
    return {};
  }
  Resampler resampler(in.width, in.height, in.bands, width, height, kernels);
  for (int y = 0; y < in.height; ++y) {
    resampler.push(&in.data[std::size_t(y) * in.rowBytes()]);
  }
  return resampler.take();
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
