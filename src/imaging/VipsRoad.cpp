// The libvips road, built as a module of its own and loaded on first need.
// libvips (through glib) must come before Qt, whose `signals` keyword macro
// clashes with a glib field name.
#include <vips/vips8>

#include "imaging/VipsRoad.h"

#include "imaging/Limits.h"

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
VImage withoutAlpha(const VImage& image) {
  if (!image.has_alpha() || image.interpretation() == VIPS_INTERPRETATION_CMYK) {
    return image;
  }
  return image.flatten(VImage::option()->set("background", std::vector<double>{255.0}));
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
  auto* options = VImage::option()->set("access", VIPS_ACCESS_SEQUENTIAL);
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

// Stretches to exactly width x height. The resampler rounds its output size
// itself; should that ever land a pixel off, the last row or column is
// repeated or dropped so callers always get the size they asked for.
VImage resizeExact(const VImage& in, int width, int height) {
  VImage out = in;
  if (in.width() != width || in.height() != height) {
    const double hscale = double(width) / in.width();
    const double vscale = double(height) / in.height();
    out = in.resize(hscale,
                    VImage::option()->set("vscale", vscale)->set("kernel", VIPS_KERNEL_LANCZOS3));
  }
  if (out.width() > width || out.height() > height) {
    out = out.crop(0, 0, std::min(out.width(), width), std::min(out.height(), height));
  }
  if (out.width() < width || out.height() < height) {
    out = out.embed(0, 0, width, height, VImage::option()->set("extend", VIPS_EXTEND_COPY));
  }
  return out;
}

// Stretch in the stored orientation (cheap, streams), then turn the small
// result upright and into sRGB; only turning needs the whole drawing at once.
Pixels drawOne(const VImage& decoded, PixelSize stored) {
  VImage drawn = resizeExact(decoded, stored.width, stored.height);
  if (orientationOf(drawn) != 1) {
    drawn = drawn.copy_memory().autorot();
  }
  return pixelsOf(toOutputColour(drawn));
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

bool draw(const QString& path, int shrink, const std::vector<PixelSize>& stored,
          std::vector<Pixels>& drawn, PixelSize& decodedSize) {
  drawn.clear();
  try {
    VImage decoded = withoutAlpha(openSequential(path, shrink));
    decodedSize = {decoded.width(), decoded.height()};
    // Several drawings from one decode: the decoded (already DCT-scaled)
    // source is held once in memory rather than read again. A source that
    // stays huge after decoding is streamed once per drawing instead, so
    // memory stays bounded.
    const bool holdDecoded =
        stored.size() > 1 && double(decoded.width()) * decoded.height() <= kMaxHeldPixels;
    if (holdDecoded) {
      decoded = decoded.copy_memory();
    }
    for (size_t i = 0; i < stored.size(); ++i) {
      if (i > 0 && !holdDecoded) {
        decoded = withoutAlpha(openSequential(path, shrink));
      }
      drawn.push_back(drawOne(decoded, stored[i]));
      if (drawn.back().empty()) {
        return false;
      }
    }
    return true;
  } catch (const VError&) {
    drawn.clear();
    return false;
  }
}

bool decode(const QByteArray& encoded, Pixels& out) {
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

constexpr VipsRoad kRoad{start, setConcurrency, readHeader, draw, decode};

}  // namespace

}  // namespace pixolane::imaging

extern "C" const pixolane::imaging::VipsRoad* pixolane_vips_road() {
  return &pixolane::imaging::kRoad;
}
