// Encoding a drawing, and decoding pictures for the windows.
#include "imaging/Internals.h"

#include "imaging/JpegCodec.h"
#include "imaging/VipsRoad.h"

#include "platform/Files.h"

#include <algorithm>
#include <cmath>

namespace pixolane::imaging {

namespace {

RgbImage packRgb(const Pixels& pixels) {
  RgbImage out;
  if (pixels.empty()) {
    return out;
  }
  out.width = pixels.width;
  out.height = pixels.height;
  if (pixels.bands == 3) {
    out.rgb = QByteArray(reinterpret_cast<const char*>(pixels.data.data()),
                         qsizetype(pixels.data.size()));
    return out;
  }
  out.rgb.resize(qsizetype(pixels.data.size()) * 3);
  char* rgb = out.rgb.data();
  for (std::uint8_t grey : pixels.data) {
    *rgb++ = char(grey);
    *rgb++ = char(grey);
    *rgb++ = char(grey);
  }
  return out;
}

// The encoded bytes stay in libjpeg's buffer: the file writer writes them from
// there, and only a caller that keeps them copies them out.
EncodedJpeg encode(const Scratch& scratch, int quality, int progressive, QString* error) {
  EncodedJpeg encoded;
  if (scratch.empty()) {
    setError(error, QStringLiteral("Aucune image dessinée à encoder."));
  } else if (!encodeJpeg(Internals::pixels(scratch), quality, progressive == 1, encoded)) {
    setError(error, QStringLiteral("L'encodage JPEG a échoué."));
  }
  return encoded;
}

QByteArrayView bytesOf(const EncodedJpeg& encoded) {
  return {reinterpret_cast<const char*>(encoded.bytes.get()), qsizetype(encoded.size)};
}

}  // namespace

QByteArray encodeJpeg(const Scratch& scratch, int quality, int progressive, QString* error) {
  return bytesOf(encode(scratch, quality, progressive, error)).toByteArray();
}

int DIWriteJpg(const Scratch& scratch, const QString& destination, int quality, int progressive,
               QString* error) {
  const EncodedJpeg encoded = encode(scratch, quality, progressive, error);
  const QByteArrayView bytes = bytesOf(encoded);
  if (bytes.isEmpty()) {
    return 0;
  }
  // Written from libjpeg's buffer, through a temporary file beside the
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
  // What the windows decode is this library's own JPEG; anything else goes
  // to libvips.
  Pixels pixels;
  if (decodeJpegBytes(encoded, pixels) != JpegDecode::Done) {
    const VipsRoad* road = vipsRoad();
    if (!road) {
      setError(error, notReadyMessage());
      return {};
    }
    if (!road->decodeBytes(encoded, pixels)) {
      pixels = {};
    }
  }
  RgbImage out = packRgb(pixels);
  if (out.isNull()) {
    setError(error, QStringLiteral("Impossible de décoder l'image."));
  }
  return out;
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
  return packRgb(Internals::pixels(scratch));
}

void setConcurrency(int threads) {
  setVipsConcurrency(std::max(0, threads));
}

}  // namespace pixolane::imaging
