#pragma once
// Inside the imaging library only: libvips set-up, the French messages shared
// by its files, colour handling, and the access to the pictures' internals.
// libvips (through glib) must come before Qt, whose `signals` keyword macro
// clashes with a glib field name.
#include <vips/vips8>

#include <QString>

#include <memory>

#include "imaging/Imaging.h"
#include "imaging/Pixels.h"

namespace pixolane::imaging {

// Once per process: starts libvips (no operation cache, untrusted loaders
// blocked). False when libvips could not start.
bool vipsReady();
// Once per process, before the first picture: the allocator settings that
// keep resident memory flat over a long run.
void keepMemoryFlat();
// Applied now if libvips is running, else when it starts.
void setVipsConcurrency(int threads);

void setError(QString* error, const QString& text);
QString notReadyMessage();
QString cannotOpenMessage(const QString& path);
QString cannotDecodeMessage(const QString& path);

int orientationOf(const vips::VImage& image);
bool hasProfile(const vips::VImage& image);
// Copies a rendered 8-bit image (1 or 3 bands) out of libvips.
Pixels pixelsOf(const vips::VImage& image);
vips::VImage withoutAlpha(const vips::VImage& image);
// 8-bit sRGB, or 8-bit grey for a grey source, with embedded profiles applied.
vips::VImage toOutputColour(vips::VImage image);

// Memory that libvips hands over, released however the function leaves.
struct GFree {
  void operator()(void* p) const { g_free(p); }
};
using GBuffer = std::unique_ptr<void, GFree>;
struct AreaUnref {
  void operator()(VipsBlob* blob) const { vips_area_unref(VIPS_AREA(blob)); }
};
using Blob = std::unique_ptr<VipsBlob, AreaUnref>;

struct Picture::Impl {
  QString path;
  QString error = QStringLiteral("Aucune image n'est chargée.");
  bool ok = false;
  int width = 0;  // upright
  int height = 0;
  int storedWidth = 0;  // as encoded, before the EXIF orientation
  int storedHeight = 0;
  bool jpeg = false;
  // A JPEG with nothing for libvips to do (YCbCr, RGB or grey, no profile):
  // libjpeg decodes it straight into the resampler.
  bool plainJpeg = false;
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
