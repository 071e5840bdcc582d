#pragma once
// libvips, for the pictures libjpeg does not read: PNG, TIFF, WebP, 12-bit
// JPEG... It only decodes; the engine's resampler draws. It lives in a module
// (libpixolane_vips.so) loaded on first need, so a run of photographs never
// loads libvips and the hundred libraries it brings (about 40 ms a start).
#include <QByteArray>
#include <QString>

#include "imaging/Pixels.h"

namespace pixolane::imaging {

struct VipsHeader {
  int width = 0;  // as stored, before the orientation
  int height = 0;
  int orientation = 1;
  bool jpeg = false;
};

// The module's entry points. Bumped whenever they change, so a program never
// calls a module built for another one.
constexpr int kVipsRoadVersion = 2;

struct VipsRoad {
  // Starts libvips (no operation cache, untrusted loaders blocked, its
  // warnings kept off the terminal). False when it cannot start.
  bool (*start)(int concurrency);
  void (*setConcurrency)(int threads);
  // Opens the header only. False when the file is no picture libvips reads.
  bool (*readHeader)(const QString& path, VipsHeader& header);
  // Decodes the whole source (JPEGs at 1/shrink), in its stored orientation,
  // to 8-bit sRGB or grey: embedded profiles applied, transparency laid on
  // white at the source's own depth. False when it cannot be decoded whole
  // (cut short or corrupt data fail too).
  bool (*decode)(const QString& path, int shrink, Pixels& out);
  // Decodes an encoded picture held in memory, upright, 8-bit sRGB or grey.
  bool (*decodeBytes)(const QByteArray& encoded, Pixels& out);
};

// The started road, or null when the module cannot be found, loaded or
// started. Loaded once per process; safe from any thread.
const VipsRoad* vipsRoad();
// Why vipsRoad() is null (the loader's own message), empty otherwise.
QString vipsRoadProblem();
// Threads per libvips pipeline, applied when the road starts or at once.
void setVipsConcurrency(int threads);

}  // namespace pixolane::imaging

extern "C" int pixolane_vips_road_version();
extern "C" const pixolane::imaging::VipsRoad* pixolane_vips_road();
