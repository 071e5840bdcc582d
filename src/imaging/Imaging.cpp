// libvips (through glib) must come before Qt, whose `signals` keyword macro
// clashes with a glib field name.
#include <vips/vips8>

#include "imaging/Imaging.h"
#include "imaging/Limits.h"
#include "platform/Files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <mutex>

namespace pixolane::imaging {

using vips::VError;
using vips::VImage;
using vips::VSource;

// ---------------------------------------------------------------------------
// Surface sizing. The arithmetic is the drawing surface's: outer sides in
// twips with the 2-pixel frame, the ratio in single precision applied to the
// framed side, then back to inner pixels.

namespace {

// A surface side, given in twips (frame included), as inner whole pixels.
int innerPixels(double outerTwips) {
  const double inner = (outerTwips - kFrameTwips) / kTwipsPerPixel;
  const long rounded = std::lround(inner);
  // A very thin picture would otherwise get no pixels at all on its short side.
  return int(std::max(1L, rounded));
}

double outerTwips(int innerPixelsValue) {
  return double(innerPixelsValue) * kTwipsPerPixel + kFrameTwips;
}

bool validInputs(double lw, double lh, int boxWidth, int boxHeight) {
  return std::isfinite(lw) && std::isfinite(lh) && lw > 0 && lh > 0 && boxWidth > 0 &&
         boxHeight > 0;
}

}  // namespace

PixelSize fixedSurfaceSize(double holderWidthTwips, double holderHeightTwips, int boxWidth,
                           int boxHeight) {
  if (!validInputs(holderWidthTwips, holderHeightTwips, boxWidth, boxHeight)) {
    return {};
  }
  if (holderWidthTwips > holderHeightTwips) {
    return {boxWidth, boxHeight};
  }
  return {boxHeight, boxWidth};
}

PixelSize proportionalSurfaceSize(double holderWidthTwips, double holderHeightTwips, int boxWidth,
                                  int boxHeight) {
  if (!validInputs(holderWidthTwips, holderHeightTwips, boxWidth, boxHeight)) {
    return {};
  }
  if (holderWidthTwips > holderHeightTwips) {
    const float ratio = float(holderHeightTwips) / float(holderWidthTwips);
    const float framedWidth = float(outerTwips(boxWidth));
    const float framedHeight = ratio * framedWidth;
    return {boxWidth, innerPixels(framedHeight)};
  }
  const float ratio = float(holderWidthTwips) / float(holderHeightTwips);
  const float framedHeight = float(outerTwips(boxHeight));
  const float framedWidth = ratio * framedHeight;
  return {innerPixels(framedWidth), boxHeight};
}

// ---------------------------------------------------------------------------
// libvips set-up and shared helpers.

namespace {

// Largest decoded source kept in memory to draw it twice (about 120 MB).
constexpr double kMaxHeldPixels = 40.0 * 1000 * 1000;

bool vipsReady() {
  static std::once_flag once;
  static bool ready = false;
  std::call_once(once, [] {
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

bool swapsSides(int orientation) {
  return orientation >= 5 && orientation <= 8;
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

// libjpeg's DCT scaling (1/2, 1/4, 1/8): the largest that still decodes at
// least `need` pixels, as ImageMagick's size hint does. The scaled IDCT drops
// the high frequencies first, so it filters as it shrinks; the Lanczos
// resample then does the last, smaller step. Huffman decoding costs the same
// at any scale, but the IDCT, colour conversion and resample shrink with it.
int chooseJpegShrink(int width, int height, int needWidth, int needHeight) {
  const double factor = std::min(double(width) / needWidth, double(height) / needHeight);
  for (int shrink : {8, 4, 2}) {
    if (factor >= shrink) {
      return shrink;
    }
  }
  return 1;
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

bool hasProfile(const VImage& image) {
  return image.get_typeof(VIPS_META_ICC_NAME) != 0;
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

VImage toRgb(VImage image) {
  image = toOutputColour(image);
  if (image.bands() == 1) {
    image = VImage::bandjoin(std::vector<VImage>{image, image, image});
  }
  return image.copy(VImage::option()->set("interpretation", VIPS_INTERPRETATION_sRGB));
}

RgbImage packRgb(const VImage& image) {
  RgbImage out;
  size_t size = 0;
  void* pixels = image.write_to_memory(&size);
  if (!pixels) {
    return out;
  }
  out.rgb = QByteArray(static_cast<const char*>(pixels), qsizetype(size));
  g_free(pixels);
  out.width = image.width();
  out.height = image.height();
  return out;
}

}  // namespace

// ---------------------------------------------------------------------------
// The picture holder.

struct Picture::Impl {
  QString path;
  QString error = QStringLiteral("Aucune image n'est chargée.");
  bool ok = false;
  int width = 0;  // upright
  int height = 0;
  int storedWidth = 0;  // as encoded, before the EXIF orientation
  int storedHeight = 0;
  bool jpeg = false;
};

Picture::Picture() : d(std::make_shared<Impl>()) {}
Picture::~Picture() = default;
Picture::Picture(const Picture&) = default;
Picture& Picture::operator=(const Picture&) = default;

Picture Picture::LoadPicture(const QString& path) {
  Picture picture;
  auto impl = std::make_shared<Impl>();
  impl->path = path;
  if (!vipsReady()) {
    impl->error = notReadyMessage();
  } else if (path.isEmpty() || !QFileInfo(path).isFile()) {
    impl->error = cannotOpenMessage(path);
  } else {
    try {
      // Header only: a sequential load decodes nothing until pixels are asked for.
      const VImage header = openSequential(path, 1);
      impl->storedWidth = header.width();
      impl->storedHeight = header.height();
      const bool swap = swapsSides(orientationOf(header));
      impl->width = swap ? impl->storedHeight : impl->storedWidth;
      impl->height = swap ? impl->storedWidth : impl->storedHeight;
      impl->jpeg = isJpegLoader(header);
      impl->ok = impl->width > 0 && impl->height > 0;
      impl->error = impl->ok ? QString() : cannotOpenMessage(path);
    } catch (const VError&) {
      impl->error = cannotOpenMessage(path);
    }
  }
  picture.d = impl;
  return picture;
}

bool Picture::ok() const {
  return d->ok;
}
const QString& Picture::error() const {
  return d->error;
}
const QString& Picture::path() const {
  return d->path;
}
int Picture::width() const {
  return d->ok ? d->width : 0;
}
int Picture::height() const {
  return d->ok ? d->height : 0;
}

// ---------------------------------------------------------------------------
// The scratch picture.

struct Scratch::Impl {
  VImage image;  // 8-bit sRGB or grey, upright, in memory
  PixelSize decoded;
};

Scratch::Scratch() = default;
Scratch::~Scratch() = default;
Scratch::Scratch(const Scratch&) = default;
Scratch& Scratch::operator=(const Scratch&) = default;

bool Scratch::empty() const {
  return !d || d->image.is_null();
}

PixelSize Scratch::size() const {
  if (empty()) {
    return {};
  }
  return {d->image.width(), d->image.height()};
}

PixelSize Scratch::decodedSize() const {
  return d ? d->decoded : PixelSize{};
}

// The pixels are shared with copies of this scratch; dropping our reference
// frees them once no copy holds them.
void Scratch::release() {
  d.reset();
}

// ---------------------------------------------------------------------------
// Drawing.

namespace {

bool validTarget(PixelSize size) {
  return drawableSize(size.width, size.height);
}

// The target in the source's stored orientation.
PixelSize storedTarget(const Picture::Impl& picture, PixelSize upright) {
  const bool swap = picture.width != picture.storedWidth || picture.height != picture.storedHeight;
  return swap ? PixelSize{upright.height, upright.width} : upright;
}

// Resamples a decoded source to one drawing: stretch in the stored orientation
// (cheap, streams), then turn the small result upright and into sRGB.
void drawInto(const VImage& decoded, PixelSize stored, Scratch& out) {
  VImage drawn = resizeExact(decoded, stored.width, stored.height).copy_memory();
  if (orientationOf(drawn) != 1) {
    drawn = drawn.autorot();
  }
  drawn = toOutputColour(drawn).copy_memory();
  auto impl = std::make_shared<Scratch::Impl>();
  impl->image = drawn;
  impl->decoded = {decoded.width(), decoded.height()};
  out.d = impl;
}

bool paint(const Picture& picture, const std::vector<PixelSize>& targets,
           const std::vector<Scratch*>& outs, QString* error) {
  for (Scratch* out : outs) {
    out->release();
  }
  if (!picture.ok()) {
    setError(error, picture.error());
    return false;
  }
  for (PixelSize target : targets) {
    if (!validTarget(target)) {
      setError(error, QStringLiteral("Taille de dessin invalide (%1 x %2) pour « %3 ».")
                          .arg(target.width)
                          .arg(target.height)
                          .arg(QDir::toNativeSeparators(picture.path())));
      return false;
    }
  }
  if (!vipsReady()) {
    setError(error, notReadyMessage());
    return false;
  }
  const Picture::Impl& source = *picture.impl();
  std::vector<PixelSize> stored;
  int needWidth = 0;
  int needHeight = 0;
  for (PixelSize target : targets) {
    stored.push_back(storedTarget(source, target));
    needWidth = std::max(needWidth, stored.back().width);
    needHeight = std::max(needHeight, stored.back().height);
  }
  const int shrink =
      source.jpeg ? chooseJpegShrink(source.storedWidth, source.storedHeight, needWidth, needHeight)
                  : 1;
  try {
    VImage decoded = withoutAlpha(openSequential(source.path, shrink));
    // Several drawings from one decode: the decoded (already DCT-scaled)
    // source is held once in memory rather than read again. A source that
    // stays huge after decoding (not a JPEG) is streamed once per drawing
    // instead, so memory stays bounded.
    const bool holdDecoded =
        targets.size() > 1 && double(decoded.width()) * decoded.height() <= kMaxHeldPixels;
    if (holdDecoded) {
      decoded = decoded.copy_memory();
    }
    for (size_t i = 0; i < targets.size(); ++i) {
      if (i > 0 && !holdDecoded) {
        decoded = withoutAlpha(openSequential(source.path, shrink));
      }
      drawInto(decoded, stored[i], *outs[i]);
    }
  } catch (const VError&) {
    for (Scratch* out : outs) {
      out->release();
    }
    setError(error, cannotDecodeMessage(source.path));
    return false;
  }
  return true;
}

}  // namespace

bool PaintPicture(const Picture& picture, PixelSize inner, Scratch& out, QString* error) {
  return paint(picture, {inner}, {&out}, error);
}

bool PaintPictureTwice(const Picture& picture, PixelSize first, Scratch& outFirst, PixelSize second,
                       Scratch& outSecond, QString* error) {
  if (&outFirst == &outSecond) {
    return PaintPicture(picture, second, outSecond, error);
  }
  return paint(picture, {first, second}, {&outFirst, &outSecond}, error);
}

// ---------------------------------------------------------------------------
// Encoding.

QByteArray encodeJpeg(const Scratch& scratch, int quality, int progressive, QString* error) {
  if (scratch.empty()) {
    setError(error, QStringLiteral("Aucune image dessinée à encoder."));
    return {};
  }
  if (!vipsReady()) {
    setError(error, notReadyMessage());
    return {};
  }
  const int q = std::clamp(quality, 1, 100);
  try {
    VipsBlob* blob = scratch.d->image.jpegsave_buffer(VImage::option()
                                                          ->set("Q", q)
                                                          ->set("interlace", progressive == 1)
                                                          ->set("optimize_coding", true)
                                                          ->set("strip", true));
    size_t length = 0;
    const void* data = vips_blob_get(blob, &length);
    QByteArray bytes(static_cast<const char*>(data), qsizetype(length));
    vips_area_unref(VIPS_AREA(blob));
    return bytes;
  } catch (const VError&) {
    setError(error, QStringLiteral("L'encodage JPEG a échoué."));
    return {};
  }
}

int DIWriteJpg(const Scratch& scratch, const QString& destination, int quality, int progressive,
               QString* error) {
  const QByteArray bytes = encodeJpeg(scratch, quality, progressive, error);
  if (bytes.isEmpty()) {
    return 0;
  }
  // A temporary file beside the destination, renamed over it: the final name
  // holds a complete picture or is left untouched.
  return platform::writeFileAtomically(destination, bytes, error) ? 1 : 0;
}

// ---------------------------------------------------------------------------
// Display.

RgbImage decodeRgb(const QByteArray& encoded, QString* error) {
  if (encoded.isEmpty()) {
    setError(error, QStringLiteral("Aucune donnée d'image à décoder."));
    return {};
  }
  if (!vipsReady()) {
    setError(error, notReadyMessage());
    return {};
  }
  try {
    VImage image = VImage::new_from_buffer(encoded.constData(), size_t(encoded.size()), "",
                                           VImage::option()->set("access", VIPS_ACCESS_SEQUENTIAL));
    image = image.copy_memory();
    if (orientationOf(image) != 1) {
      image = image.autorot();
    }
    RgbImage out = packRgb(toRgb(image));
    if (out.isNull()) {
      setError(error, QStringLiteral("Impossible de décoder l'image."));
    }
    return out;
  } catch (const VError&) {
    setError(error, QStringLiteral("Impossible de décoder l'image."));
    return {};
  }
}

RgbImage loadForDisplay(const QString& path, int maxWidth, int maxHeight, PixelSize* fullSize,
                        QString* error) {
  if (fullSize) {
    *fullSize = {};
  }
  const Picture picture = Picture::LoadPicture(path);
  if (!picture.ok()) {
    setError(error, picture.error());
    return {};
  }
  if (fullSize) {
    *fullSize = {picture.width(), picture.height()};
  }
  if (maxWidth <= 0 || maxHeight <= 0) {
    setError(error, QStringLiteral("Taille d'affichage invalide."));
    return {};
  }
  // Fit inside the view keeping proportions; never enlarged here, the view
  // scales up itself if it wants to.
  const double scale =
      std::min({1.0, double(maxWidth) / picture.width(), double(maxHeight) / picture.height()});
  const PixelSize fit{std::max(1, int(std::lround(picture.width() * scale))),
                      std::max(1, int(std::lround(picture.height() * scale)))};
  Scratch scratch;
  if (!PaintPicture(picture, {std::min(fit.width, maxWidth), std::min(fit.height, maxHeight)},
                    scratch, error)) {
    return {};
  }
  try {
    return packRgb(toRgb(scratch.d->image));
  } catch (const VError&) {
    setError(error, cannotDecodeMessage(path));
    return {};
  }
}

void setConcurrency(int threads) {
  if (vipsReady()) {
    vips_concurrency_set(std::max(0, threads));
  }
}

}  // namespace pixolane::imaging
