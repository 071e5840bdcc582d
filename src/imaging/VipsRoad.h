#pragma once
// libvips, for the pictures the plain JPEG road does not take: other formats,
// colour profiles, CMYK. It lives in a module (libpixolane_vips.so) loaded on
// first need, so a run of ordinary photographs never loads libvips and the
// hundred libraries it brings (about 40 ms of every start).
#include <QByteArray>
#include <QString>

#include <vector>

#include "imaging/Imaging.h"
#include "imaging/Pixels.h"

namespace pixolane::imaging {

struct VipsHeader {
  int width = 0;  // as stored, before the orientation
  int height = 0;
  int orientation = 1;
  bool jpeg = false;
};

// The module's entry points.
struct VipsRoad {
  // Starts libvips (no operation cache, untrusted loaders blocked, its
  // warnings kept off the terminal). False when it cannot start.
  bool (*start)(int concurrency);
  void (*setConcurrency)(int threads);
  // Opens the header only. False when the file is no picture libvips reads.
  bool (*readHeader)(const QString& path, VipsHeader& header);
  // Decodes once (JPEGs at 1/shrink) and draws every size, each given in the
  // stored orientation, turned upright, in 8-bit sRGB or grey with embedded
  // profiles applied. False when the source cannot be decoded.
  bool (*draw)(const QString& path, int shrink, const std::vector<PixelSize>& stored,
               std::vector<Pixels>& drawn, PixelSize& decoded);
  // Decodes an encoded picture held in memory, upright, 8-bit sRGB or grey.
  bool (*decode)(const QByteArray& encoded, Pixels& out);
};

// The started road, or null when the module cannot be found or libvips cannot
// start. Loaded once per process; safe from any thread.
const VipsRoad* vipsRoad();
// Threads per libvips pipeline, applied when the road starts or at once.
void setVipsConcurrency(int threads);

}  // namespace pixolane::imaging

extern "C" const pixolane::imaging::VipsRoad* pixolane_vips_road();
