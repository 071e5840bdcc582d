#include "imaging/ColourProfiles.h"

#include <lcms2.h>

#include <algorithm>
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

bool fits(cmsColorSpaceSignature space, SampleLayout layout) {
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

// Samples every grey level and a cube of colours: a profile that gives them
// back within one level is sRGB (or as near as 8 bits tell) and is skipped.
bool givesBackItsInput(const ColourConversion& conversion) {
  const int bands = conversion.outBands();
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
  std::vector<std::uint8_t> out(in.size());
  conversion.convert(in.data(), out.data(), in.size() / std::size_t(bands));
  for (std::size_t i = 0; i < in.size(); ++i) {
    if (std::abs(int(in[i]) - int(out[i])) > 1) {
      return false;
    }
  }
  return true;
}

std::shared_ptr<const ColourConversion> build(const std::string& bytes, SampleLayout layout) {
  const bool cmyk = layout == SampleLayout::Cmyk || layout == SampleLayout::InvertedCmyk;
  Profile input(bytes.empty() ? nullptr
                              : cmsOpenProfileFromMem(bytes.data(), cmsUInt32Number(bytes.size())));
  if (input && fits(cmsGetColorSpace(input.get()), layout)) {
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
      if (cmyk || !givesBackItsInput(*conversion)) {
        return conversion;
      }
      return nullptr;
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
