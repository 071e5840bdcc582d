// The libvips road, built as a module of its own and loaded on first need.
// libvips (through glib) must come before Qt, whose `signals` keyword macro
// clashes with a glib field name.
#include <vips/vips8>

#include "imaging/VipsRoad.h"

#include <QFile>

#include <algorithm>
#include <cstring>
#include <memory>

namespace pixolane::imaging {

using vips::VError;
using vips::VImage;
using vips::VSource;

namespace {

// Memory that libvips hands over, released however the function leaves.
struct GFree {
  void operator()(void* p) const { g_free(p); }
};
using GBuffer = std::unique_ptr<void, GFree>;

bool hasProfile(const VImage& image) {
  return image.get_typeof(VIPS_META_ICC_NAME) != 0;
}

Pixels pixelsOf(const VImage& image) {
  size_t size = 0;
  const GBuffer memory(image.write_to_memory(&size));
  Pixels out = Pixels::sized(image.width(), image.height(), image.bands());
  if (!memory || size != out.data.size()) {
    return {};
  }
  std::copy_n(static_cast<const std::uint8_t*>(memory.get()), size, out.data.begin());
  return out;
}

int orientationOf(const VImage& image) {
  if (image.get_typeof(VIPS_META_ORIENTATION) == 0) {
    return 1;
  }
  const int value = image.get_int(VIPS_META_ORIENTATION);
  return value >= 1 && value <= 8 ? value : 1;
}

// Transparent sources (PNG, GIF) are laid on white before any resampling:
// resampling straight alpha would darken the edges, and JPEG has no alpha.
// White and full opacity are the source's own maximum: 65535 for 16 bits.
VImage withoutAlpha(const VImage& image) {
  if (!image.has_alpha() || image.interpretation() == VIPS_INTERPRETATION_CMYK) {
    return image;
  }
  const double white = image.format() == VIPS_FORMAT_USHORT ? 65535.0 : 255.0;
  return image.flatten(
      VImage::option()->set("background", std::vector<double>{white})->set("max_alpha", white));
}

// 8-bit sRGB, or 8-bit grey for a grey source, with embedded profiles applied:
// what the web shows and what the JPEG encoder takes.
VImage toOutputColour(VImage image) {
  image = withoutAlpha(image);
  const bool cmyk = image.interpretation() == VIPS_INTERPRETATION_CMYK || image.bands() == 4;
  const bool grey = !cmyk && image.bands() < 3;
  try {
    if (cmyk) {
      // Printers' files often carry no profile; the generic CMYK one is then
      // better than none.
      image = image.icc_transform("srgb", VImage::option()
                                              ->set("input_profile", "cmyk")
                                              ->set("embedded", hasProfile(image))
                                              ->set("intent", VIPS_INTENT_PERCEPTUAL));
    } else if (hasProfile(image) && !grey) {
      image = image.icc_transform(
          "srgb", VImage::option()->set("embedded", true)->set("intent", VIPS_INTENT_PERCEPTUAL));
    } else if (hasProfile(image) && grey) {
      image = image.icc_import(VImage::option()->set("embedded", true))
                  .colourspace(VIPS_INTERPRETATION_B_W);
    }
  } catch (const VError&) {
    // A broken embedded profile: keep the numbers as they are, as a browser would.
  }
  if (image.bands() > 3 && !grey) {
    image = image.extract_band(0, VImage::option()->set("n", 3));
  }
  image = image.colourspace(grey ? VIPS_INTERPRETATION_B_W : VIPS_INTERPRETATION_sRGB);
  if (grey && image.bands() > 1) {
    image = image.extract_band(0);
  }
  if (image.format() != VIPS_FORMAT_UCHAR) {
    image = image.cast(VIPS_FORMAT_UCHAR, VImage::option()->set("shift", false));
  }
  return image;
}

VImage openSequential(const QString& path, int jpegShrink) {
  const QByteArray name = QFile::encodeName(path);
  VSource source = VSource::new_from_file(name.constData());
  // A source cut short or corrupt fails instead of showing grey where its
  // data stopped.
  auto* options =
      VImage::option()->set("access", VIPS_ACCESS_SEQUENTIAL)->set("fail_on", VIPS_FAIL_ON_ERROR);
  if (jpegShrink > 1) {
    options->set("shrink", jpegShrink);
  }
  return VImage::new_from_source(source, "", options);
}

bool isJpegLoader(const VImage& image) {
  if (image.get_typeof(VIPS_META_LOADER) == 0) {
    return false;
  }
  return std::strncmp(image.get_string(VIPS_META_LOADER), "jpegload", 8) == 0;
}

bool start(int concurrency) {
  if (VIPS_INIT("pixolane") != 0) {
    return false;
  }
  // Every picture is opened once per run; caching operations would only keep
  // decoded pixels alive and could serve a stale file rewritten under the same name.
  vips_cache_set_max(0);
  // Only the ordinary, fuzzed image loaders are allowed to see user files.
  vips_block_untrusted_set(TRUE);
  // libvips' and libjpeg's warnings ("Premature end of JPEG file"...) would
  // reach the terminal raw; a picture that really fails says why in French.
  g_log_set_handler(
      "VIPS", GLogLevelFlags(G_LOG_LEVEL_WARNING | G_LOG_LEVEL_MESSAGE | G_LOG_LEVEL_INFO),
      [](const gchar*, GLogLevelFlags, const gchar*, gpointer) {}, nullptr);
  if (concurrency >= 0) {
    vips_concurrency_set(concurrency);
  }
  return true;
}

void setConcurrency(int threads) {
  vips_concurrency_set(std::max(0, threads));
}

bool readHeader(const QString& path, VipsHeader& header) {
  try {
    // Header only: a sequential load decodes nothing until pixels are asked for.
    const VImage image = openSequential(path, 1);
    header = {image.width(), image.height(), orientationOf(image), isJpegLoader(image)};
    return true;
  } catch (const VError&) {
    return false;
  }
}

bool decode(const QString& path, int shrink, Pixels& out) {
  out = {};
  try {
    out = pixelsOf(toOutputColour(openSequential(path, shrink)));
    return !out.empty();
  } catch (const VError&) {
    out = {};
    return false;
  }
}

bool decodeBytes(const QByteArray& encoded, Pixels& out) {
  try {
    VImage image = VImage::new_from_buffer(encoded.constData(), size_t(encoded.size()), "",
                                           VImage::option()->set("access", VIPS_ACCESS_SEQUENTIAL));
    image = image.copy_memory();
    if (orientationOf(image) != 1) {
      image = image.autorot();
    }
    out = pixelsOf(toOutputColour(image));
    return !out.empty();
  } catch (const VError&) {
    return false;
  }
}

constexpr VipsRoad kRoad{start, setConcurrency, readHeader, decode, decodeBytes};

}  // namespace

}  // namespace pixolane::imaging

extern "C" int pixolane_vips_road_version() {
  return pixolane::imaging::kVipsRoadVersion;
}

extern "C" const pixolane::imaging::VipsRoad* pixolane_vips_road() {
  return &pixolane::imaging::kRoad;
}
