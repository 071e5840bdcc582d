#include "imaging/ColourProfiles.h"

#include <lcms2.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace pixolane::imaging {

namespace {

struct ProfileCloser {
  void operator()(void* p) const { cmsCloseProfile(p); }
};
using Profile = std::unique_ptr<void, ProfileCloser>;

struct TransformDeleter {
  void operator()(void* t) const { cmsDeleteTransform(t); }
};
using Transform = std::unique_ptr<void, TransformDeleter>;

class LcmsConversion final : public ColourConversion {
 public:
  LcmsConversion(SampleLayout from, Transform transform)
      : ColourConversion(from), transform_(std::move(transform)) {}
  void convert(const std::uint8_t* in, std::uint8_t* out, std::size_t count) const override {
    cmsDoTransform(transform_.get(), in, out, cmsUInt32Number(count));
  }

 private:
  Transform transform_;
};

// CMYK with no usable profile: the plain ink formula, better than no picture.
class InkConversion final : public ColourConversion {
 public:
  explicit InkConversion(SampleLayout from) : ColourConversion(from) {}
  void convert(const std::uint8_t* in, std::uint8_t* out, std::size_t count) const override {
    const bool inverted = from() == SampleLayout::InvertedCmyk;
    for (std::size_t i = 0; i < count; ++i, in += 4, out += 3) {
      const unsigned k = inverted ? in[3] : 255u - in[3];
      for (int c = 0; c < 3; ++c) {
        const unsigned paper = inverted ? in[c] : 255u - in[c];
        out[c] = std::uint8_t((paper * k + 127) / 255);
      }
    }
  }
};

cmsUInt32Number formatOf(SampleLayout layout) {
  switch (layout) {
    case SampleLayout::Grey:
      return TYPE_GRAY_8;
    case SampleLayout::Rgb:
      return TYPE_RGB_8;
    case SampleLayout::Cmyk:
      return TYPE_CMYK_8;
    case SampleLayout::InvertedCmyk:
      return TYPE_CMYK_8_REV;
  }
  return TYPE_RGB_8;
}

// The colour space as the profile's four bytes: a damaged profile may give
// any value, which the enumeration type cannot hold.
bool fits(cmsUInt32Number space, SampleLayout layout) {
  switch (layout) {
    case SampleLayout::Grey:
      return space == cmsSigGrayData;
    case SampleLayout::Rgb:
      return space == cmsSigRgbData;
    case SampleLayout::Cmyk:
    case SampleLayout::InvertedCmyk:
      return space == cmsSigCmykData;
  }
  return false;
}

// sRGB, or for grey the sRGB tone curve on D50 white: what browsers assume.
Profile outputProfile(SampleLayout layout) {
  if (layout != SampleLayout::Grey) {
    return Profile(cmsCreate_sRGBProfile());
  }
  const cmsFloat64Number srgbCurve[5] = {2.4, 1.0 / 1.055, 0.055 / 1.055, 1.0 / 12.92, 0.04045};
  cmsToneCurve* curve = cmsBuildParametricToneCurve(nullptr, 4, srgbCurve);
  if (!curve) {
    return nullptr;
  }
  Profile grey(cmsCreateGrayProfile(cmsD50_xyY(), curve));
  cmsFreeToneCurve(curve);
  return grey;
}

// Every grey level and a cube of colours, to compare conversions on.
std::vector<std::uint8_t> samples(int bands) {
  std::vector<std::uint8_t> in;
  for (int v = 0; v < 256; ++v) {
    in.insert(in.end(), std::size_t(bands), std::uint8_t(v));
  }
  if (bands == 3) {
    for (int r = 0; r < 256; r += 17) {
      for (int g = 0; g < 256; g += 17) {
        for (int b = 0; b < 256; b += 17) {
          in.insert(in.end(), {std::uint8_t(r), std::uint8_t(g), std::uint8_t(b)});
        }
      }
    }
  }
  return in;
}

// True when `conversion` gives `expected` (or, when null, its input back)
// within one level on every sample.
bool within1(const ColourConversion& conversion, const ColourConversion* expected) {
  const int bands = conversion.outBands();
  const std::vector<std::uint8_t> in = samples(bands);
  const std::size_t count = in.size() / std::size_t(bands);
  std::vector<std::uint8_t> out(in.size());
  std::vector<std::uint8_t> want = in;
  conversion.convert(in.data(), out.data(), count);
  if (expected) {
    expected->convert(in.data(), want.data(), count);
  }
  for (std::size_t i = 0; i < in.size(); ++i) {
    if (std::abs(int(want[i]) - int(out[i])) > 1) {
      return false;
    }
  }
  return true;
}

// An RGB profile made of three tone curves and a matrix (Adobe RGB, Display
// P3, a camera's sRGB variant) into sRGB, relative colorimetric: curves to
// linear light, one 3 x 3 matrix between the two spaces' primaries (both
// already adapted to the D50 of the profile connection space), then sRGB's
// curve from a table. Several times faster than Little CMS's 8-bit path,
// which matters as every decoded row goes through it; it is used only where
// it agrees with Little CMS within one level (see build).
class MatrixShaperConversion final : public ColourConversion {
 public:
  static std::shared_ptr<const ColourConversion> from(cmsHPROFILE input, cmsHPROFILE srgb) {
    const cmsTagSignature colorants[3] = {cmsSigRedColorantTag, cmsSigGreenColorantTag,
                                          cmsSigBlueColorantTag};
    const cmsTagSignature curves[3] = {cmsSigRedTRCTag, cmsSigGreenTRCTag, cmsSigBlueTRCTag};
    double in[3][3];
    double out[3][3];
    auto conversion = std::shared_ptr<MatrixShaperConversion>(new MatrixShaperConversion);
    for (int c = 0; c < 3; ++c) {
      const auto* a = static_cast<const cmsCIEXYZ*>(cmsReadTag(input, colorants[c]));
      const auto* b = static_cast<const cmsCIEXYZ*>(cmsReadTag(srgb, colorants[c]));
      const auto* curve = static_cast<const cmsToneCurve*>(cmsReadTag(input, curves[c]));
      if (!a || !b || !curve) {
        return nullptr;
      }
      in[0][c] = a->X, in[1][c] = a->Y, in[2][c] = a->Z;
      out[0][c] = b->X, out[1][c] = b->Y, out[2][c] = b->Z;
      for (int v = 0; v < 256; ++v) {
        conversion->linear_[c][v] = cmsEvalToneCurveFloat(curve, cmsFloat32Number(v / 255.0));
      }
    }
    double inverse[3][3];
    if (!invert(out, inverse)) {
      return nullptr;
    }
    for (int r = 0; r < 3; ++r) {
      for (int c = 0; c < 3; ++c) {
        double sum = 0;
        for (int k = 0; k < 3; ++k) {
          sum += inverse[r][k] * in[k][c];
        }
        conversion->matrix_[r][c] = float(sum);
      }
    }
    for (int i = 0; i < kSteps; ++i) {
      const double l = double(i) / (kSteps - 1);
      const double v = l <= 0.0031308 ? 12.92 * l : 1.055 * std::pow(l, 1 / 2.4) - 0.055;
      conversion->encode_[std::size_t(i)] =
          std::uint8_t(std::lround(std::clamp(v, 0.0, 1.0) * 255));
    }
    return conversion;
  }

  void convert(const std::uint8_t* in, std::uint8_t* out, std::size_t count) const override {
    const float(&m)[3][3] = matrix_;
    for (std::size_t i = 0; i < count; ++i, in += 3, out += 3) {
      const float r = linear_[0][in[0]];
      const float g = linear_[1][in[1]];
      const float b = linear_[2][in[2]];
      out[0] = encoded(m[0][0] * r + m[0][1] * g + m[0][2] * b);
      out[1] = encoded(m[1][0] * r + m[1][1] * g + m[1][2] * b);
      out[2] = encoded(m[2][0] * r + m[2][1] * g + m[2][2] * b);
    }
  }

 private:
  static constexpr int kSteps = 1 << 16;

  MatrixShaperConversion() : ColourConversion(SampleLayout::Rgb), encode_(kSteps) {}

  std::uint8_t encoded(float linear) const {
    const float at = std::clamp(linear, 0.0f, 1.0f) * float(kSteps - 1) + 0.5f;
    return encode_[std::size_t(at)];
  }

  static bool invert(const double m[3][3], double out[3][3]) {
    const double det = m[0][0] * (m[1][1] * m[2][2] - m[1][2] * m[2][1]) -
                       m[0][1] * (m[1][0] * m[2][2] - m[1][2] * m[2][0]) +
                       m[0][2] * (m[1][0] * m[2][1] - m[1][1] * m[2][0]);
    if (std::abs(det) < 1e-12) {
      return false;
    }
    for (int r = 0; r < 3; ++r) {
      for (int c = 0; c < 3; ++c) {
        // The cofactor of (c, r), over the determinant.
        const int r1 = (c + 1) % 3, r2 = (c + 2) % 3, c1 = (r + 1) % 3, c2 = (r + 2) % 3;
        out[r][c] = (m[r1][c1] * m[r2][c2] - m[r1][c2] * m[r2][c1]) / det;
      }
    }
    return true;
  }

  float linear_[3][256] = {};
  float matrix_[3][3] = {};
  std::vector<std::uint8_t> encode_;
};

std::shared_ptr<const ColourConversion> build(const std::string& bytes, SampleLayout layout) {
  const bool cmyk = layout == SampleLayout::Cmyk || layout == SampleLayout::InvertedCmyk;
  Profile input(bytes.empty() ? nullptr
                              : cmsOpenProfileFromMem(bytes.data(), cmsUInt32Number(bytes.size())));
  if (input && fits(cmsUInt32Number(cmsGetColorSpace(input.get())), layout)) {
    const Profile output = outputProfile(layout);
    // Relative colorimetric, as libvips and browsers convert by default; no
    // one-pixel cache, as the transform is shared by every worker thread.
    Transform transform(
        output ? cmsCreateTransform(input.get(), formatOf(layout), output.get(),
                                    layout == SampleLayout::Grey ? TYPE_GRAY_8 : TYPE_RGB_8,
                                    INTENT_RELATIVE_COLORIMETRIC, cmsFLAGS_NOCACHE)
               : nullptr);
    if (transform) {
      auto conversion = std::make_shared<LcmsConversion>(layout, std::move(transform));
      if (!cmyk && within1(*conversion, nullptr)) {
        return nullptr;  // sRGB, or as near as 8 bits tell
      }
      if (layout == SampleLayout::Rgb && cmsIsMatrixShaper(input.get())) {
        auto fast = MatrixShaperConversion::from(input.get(), output.get());
        if (fast && within1(*fast, conversion.get())) {
          return fast;
        }
      }
      return conversion;
    }
  }
  if (cmyk) {
    return std::make_shared<InkConversion>(layout);
  }
  return nullptr;
}

}  // namespace

std::shared_ptr<const ColourConversion> conversionToSrgb(const std::uint8_t* profile,
                                                         std::size_t size, SampleLayout layout) {
  const bool cmyk = layout == SampleLayout::Cmyk || layout == SampleLayout::InvertedCmyk;
  if ((!profile || size == 0) && !cmyk) {
    return nullptr;
  }
  std::string key(1, char('0' + int(layout)));
  if (profile) {
    key.append(reinterpret_cast<const char*>(profile), size);
  }
  // A run meets a handful of profiles (one per camera or editor), so each
  // conversion is built once; the cache is bounded all the same.
  static std::mutex mutex;
  static std::map<std::string, std::shared_ptr<const ColourConversion>> built;
  const std::lock_guard lock(mutex);
  if (const auto found = built.find(key); found != built.end()) {
    return found->second;
  }
  if (built.size() >= 32) {
    built.clear();
  }
  auto conversion = build(key.substr(1), layout);
  built.emplace(std::move(key), conversion);
  return conversion;
}

}  // namespace pixolane::imaging
