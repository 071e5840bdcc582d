#pragma once
// Inside the imaging library only: libvips set-up, the French messages shared
// by its files, colour handling, and the access to the pictures' internals.
// libvips (through glib) must come before Qt, whose `signals` keyword macro
// clashes with a glib field name.
#include <vips/vips8>

#include <QString>

#include <memory>

#include "imaging/Imaging.h"

namespace pixolane::imaging {

// Once per process: starts libvips (no operation cache, untrusted loaders
// blocked). False when libvips could not start.
bool vipsReady();

void setError(QString* error, const QString& text);
QString notReadyMessage();
QString cannotOpenMessage(const QString& path);
QString cannotDecodeMessage(const QString& path);

int orientationOf(const vips::VImage& image);
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
};

struct Scratch::Impl {
  vips::VImage image;  // 8-bit sRGB or grey, upright, in memory
  PixelSize decoded;
};

// The one door to the internals of the value classes.
struct Internals {
  using PictureData = Picture::Impl;
  using ScratchData = Scratch::Impl;
  static const Picture::Impl& of(const Picture& picture) { return *picture.d; }
  static const vips::VImage& image(const Scratch& scratch) { return scratch.d->image; }
  static void set(Scratch& scratch, std::shared_ptr<Scratch::Impl> impl) {
    scratch.d = std::move(impl);
  }
  static void set(Picture& picture, std::shared_ptr<Picture::Impl> impl) {
    picture.d = std::move(impl);
  }
};

}  // namespace pixolane::imaging
