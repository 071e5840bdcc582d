// Encoding a drawing, and decoding pictures for the windows.
#include "imaging/VipsSupport.h"

#include "platform/Files.h"

#include <algorithm>
#include <cmath>

namespace pixolane::imaging {

using vips::VError;
using vips::VImage;

namespace {

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
  const GBuffer pixels(image.write_to_memory(&size));
  if (!pixels) {
    return out;
  }
  out.rgb = QByteArray(static_cast<const char*>(pixels.get()), qsizetype(size));
  out.width = image.width();
  out.height = image.height();
  return out;
}

// The encoded bytes stay in libvips' buffer: the file writer writes them from
// there, and only a caller that keeps them copies them out.
Blob encode(const Scratch& scratch, int quality, int progressive, QString* error) {
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
    return Blob(Internals::image(scratch).jpegsave_buffer(VImage::option()
                                                              ->set("Q", q)
                                                              ->set("interlace", progressive == 1)
                                                              ->set("optimize_coding", true)
                                                              ->set("strip", true)));
  } catch (const VError&) {
    setError(error, QStringLiteral("L'encodage JPEG a échoué."));
    return {};
  }
}

QByteArrayView bytesOf(const Blob& blob) {
  size_t length = 0;
  const void* data = blob ? vips_blob_get(blob.get(), &length) : nullptr;
  return {static_cast<const char*>(data), qsizetype(data ? length : 0)};
}

}  // namespace

QByteArray encodeJpeg(const Scratch& scratch, int quality, int progressive, QString* error) {
  return bytesOf(encode(scratch, quality, progressive, error)).toByteArray();
}

int DIWriteJpg(const Scratch& scratch, const QString& destination, int quality, int progressive,
               QString* error) {
  const Blob blob = encode(scratch, quality, progressive, error);
  const QByteArrayView bytes = bytesOf(blob);
  if (bytes.isEmpty()) {
    return 0;
  }
  // Written from libvips' buffer, through a temporary file beside the
  // destination renamed over it: the final name holds a complete picture or
  // is left untouched.
  return platform::writeFileAtomically(destination,
                                       QByteArray::fromRawData(bytes.data(), bytes.size()), error)
             ? 1
             : 0;
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
    return packRgb(toRgb(Internals::image(scratch)));
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
