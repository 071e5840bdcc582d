#include "imaging/VipsSupport.h"

#include <QDir>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include <algorithm>
#include <atomic>
#include <mutex>

namespace pixolane::imaging {

using vips::VError;
using vips::VImage;

namespace {

// Pixel buffers come and go with every picture, in many sizes, from several
// threads. glibc gives each thread its own heap (arena) and raises its mmap
// threshold to the largest block freed, so buffers of many megabytes (the
// coefficients of a progressive JPEG) land in the heaps, where the holes they
// leave are never quite reused: resident memory grew with the number of
// photos (188 MB for 20, 411 MB for 2,000). One heap, and a fixed threshold
// that hands blocks of 4 MB and more straight back to the system, keep it
// flat (185 and 197 MB) at the same processor time.
void keepMemoryFlatOnce() {
#if defined(__GLIBC__)
  mallopt(M_ARENA_MAX, 1);
  mallopt(M_MMAP_THRESHOLD, 4 * 1024 * 1024);
#endif
}

}  // namespace

void keepMemoryFlat() {
  static std::once_flag once;
  std::call_once(once, keepMemoryFlatOnce);
}

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

namespace {
std::atomic<int> wantedConcurrency{-1};
std::atomic<bool> started{false};
}  // namespace

void setVipsConcurrency(int threads) {
  wantedConcurrency = threads;
  if (started) {
    vips_concurrency_set(threads);
  }
}

// Started on first need only: the plain JPEG road never needs it.
bool vipsReady() {
  static std::once_flag once;
  static bool ready = false;
  std::call_once(once, [] {
    keepMemoryFlat();
    ready = VIPS_INIT("pixolane") == 0;
    if (!ready) {
      return;
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
    if (wantedConcurrency >= 0) {
      vips_concurrency_set(wantedConcurrency);
    }
    started = true;
  });
  return ready;
}

void setError(QString* error, const QString& text) {
  if (error) {
    *error = text;
  }
}

QString notReadyMessage() {
  return QStringLiteral("La bibliothèque d'images n'a pas pu être initialisée.");
}

QString cannotOpenMessage(const QString& path) {
  return QStringLiteral(
             "Impossible de lire l'image « %1 » : le fichier est illisible ou n'est "
             "pas une image reconnue.")
      .arg(QDir::toNativeSeparators(path));
}

QString cannotDecodeMessage(const QString& path) {
  return QStringLiteral(
             "Impossible de décoder l'image « %1 » : le fichier est endommagé ou "
             "n'est pas une image reconnue.")
      .arg(QDir::toNativeSeparators(path));
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

}  // namespace pixolane::imaging
