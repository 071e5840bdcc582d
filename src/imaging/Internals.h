#pragma once
// Inside the imaging library only: the French messages shared by its files,
// and the access to the pictures' internals.
#include <QString>

#include <memory>

#include "imaging/Imaging.h"
#include "imaging/Pixels.h"

namespace pixolane::imaging {

void setError(QString* error, const QString& text);
// Says why the libvips module could not be loaded or started.
QString notReadyMessage();
QString cannotOpenMessage(const QString& path);
QString cannotDecodeMessage(const QString& path);
// A source cut short or corrupt.
QString damagedMessage(const QString& path);
// A progressive picture too large to be held whole in memory.
QString tooLargeMessage(const QString& path);

struct Picture::Impl {
  QString path;
  QString error = QStringLiteral("Aucune image n'est chargée.");
  bool ok = false;
  int width = 0;  // upright
  int height = 0;
  int storedWidth = 0;  // as encoded, before the EXIF orientation
  int storedHeight = 0;
  bool jpeg = false;
  // A JPEG that libjpeg decodes (8-bit grey, YCbCr, RGB, CMYK or YCCK)
  // straight into the resampler; libvips decodes everything else.
  bool libjpeg = false;
  int orientation = 1;
};

struct Scratch::Impl {
  Pixels pixels;  // 8-bit sRGB or grey, upright
  PixelSize decoded;
};

// The one door to the internals of the value classes.
struct Internals {
  using PictureData = Picture::Impl;
  using ScratchData = Scratch::Impl;
  static const Picture::Impl& of(const Picture& picture) { return *picture.d; }
  static const Pixels& pixels(const Scratch& scratch) { return scratch.d->pixels; }
  static void set(Scratch& scratch, std::shared_ptr<Scratch::Impl> impl) {
    scratch.d = std::move(impl);
  }
  static void set(Picture& picture, std::shared_ptr<Picture::Impl> impl) {
    picture.d = std::move(impl);
  }
};

}  // namespace pixolane::imaging
