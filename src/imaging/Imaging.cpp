// Sizing, the picture holder, the scratch picture and drawing.
#include "imaging/Internals.h"

#include "imaging/ColourProfiles.h"
#include "imaging/JpegCodec.h"
#include "imaging/Limits.h"
#include "imaging/VipsRoad.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

namespace pixolane::imaging {

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
// Shared helpers.

namespace {

bool swapsSides(int orientation) {
  return orientation >= 5 && orientation <= 8;
}

// libjpeg's DCT scaling (1/2, 1/4, 1/8): the largest that still leaves the
// resampler a shrink of 2 or more, as libvips' shrink-on-load and Pillow's
// reducing_gap do. The scaled IDCT keeps each 8 x 8 block's low frequencies
// and cuts the rest square, block by block: a crude filter, whose errors only
// a real shrink after it hides. From the scale that merely covers the
// drawing (a shrink of 1 to 2 left), the 800 x 600 pictures of 20 wallpaper
// photographs came out 3 to 23 dB further from a full-size Lanczos
// reference than from the full-size decode, and up to 8 dB below
// vipsthumbnail's; with 2 or more left, all but one are within 0.3 dB of
// the full-size decode (that one 1.8 dB short) and none is below
// vipsthumbnail (bench_quality --scales and bench/quality_table print these
// tables).
// Huffman decoding costs the same at any scale: djpeg at this scale takes 3
// to 11% more processor time than at the covering one.
int chooseJpegShrink(int width, int height, int needWidth, int needHeight) {
  const double factor = std::min(double(width) / needWidth, double(height) / needHeight);
  for (int shrink : {8, 4, 2}) {
    if (factor >= 2 * shrink) {
      return shrink;
    }
  }
  return 1;
}

}  // namespace

// ---------------------------------------------------------------------------
// The picture holder.

Picture::Picture() : d(std::make_shared<Impl>()) {}
Picture::~Picture() = default;
Picture::Picture(const Picture&) = default;
Picture& Picture::operator=(const Picture&) = default;

namespace {

void setSizes(Internals::PictureData& impl, int storedWidth, int storedHeight, int orientation) {
  impl.storedWidth = storedWidth;
  impl.storedHeight = storedHeight;
  impl.orientation = orientation;
  const bool swap = swapsSides(orientation);
  impl.width = swap ? storedHeight : storedWidth;
  impl.height = swap ? storedWidth : storedHeight;
  impl.ok = impl.width > 0 && impl.height > 0;
  impl.error = impl.ok ? QString() : cannotOpenMessage(impl.path);
}

// A JPEG is read by libjpeg alone, so a run of photographs never starts libvips.
bool loadJpegHeader(Internals::PictureData& impl) {
  JpegHeader header;
  if (!readJpegHeader(impl.path, header) || !header.libjpeg) {
    return false;
  }
  impl.jpeg = true;
  impl.libjpeg = true;
  setSizes(impl, header.width, header.height, header.orientation);
  return true;
}

void loadHeaderWithVips(Internals::PictureData& impl) {
  const VipsRoad* road = vipsRoad();
  VipsHeader header;
  if (!road) {
    impl.error = notReadyMessage();
  } else if (!road->readHeader(impl.path, header)) {
    impl.error = cannotOpenMessage(impl.path);
  } else {
    impl.jpeg = header.jpeg;
    setSizes(impl, header.width, header.height, header.orientation);
  }
}

}  // namespace

Picture Picture::LoadPicture(const QString& path) {
  Picture picture;
  auto impl = std::make_shared<Impl>();
  impl->path = path;
  if (path.isEmpty() || !QFileInfo(path).isFile()) {
    impl->error = cannotOpenMessage(path);
  } else if (!loadJpegHeader(*impl)) {
    loadHeaderWithVips(*impl);
  }
  Internals::set(picture, impl);
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

Scratch::Scratch() = default;
Scratch::~Scratch() = default;
Scratch::Scratch(const Scratch&) = default;
Scratch& Scratch::operator=(const Scratch&) = default;

bool Scratch::empty() const {
  return !d || d->pixels.empty();
}

PixelSize Scratch::size() const {
  if (empty()) {
    return {};
  }
  return {d->pixels.width, d->pixels.height};
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
PixelSize storedTarget(const Internals::PictureData& picture, PixelSize upright) {
  return swapsSides(picture.orientation) ? PixelSize{upright.height, upright.width} : upright;
}

void keep(Pixels pixels, PixelSize decoded, Scratch& out) {
  auto impl = std::make_shared<Internals::ScratchData>();
  impl->pixels = std::move(pixels);
  impl->decoded = decoded;
  Internals::set(out, impl);
}

// Every drawing of one source, made as its rows come in: each target has its
// resampler, fed the decoded rows converted to sRGB one by one when the
// source has a profile (or is CMYK). The drawings are turned upright at the
// end. Converting the drawings after resampling instead would touch fewer
// pixels (about 0.5 megapixel instead of the 1.5 to 3 decoded), but came out
// 1.8 dB further from the reference on Adobe RGB photographs (bench_quality
// measures both, 800 x 600 and thumbnails alike). sRGB profiles are
// recognised and skipped.
class Drawings final : public JpegRows {
 public:
  Drawings(const std::vector<PixelSize>& stored, int orientation)
      : stored_(stored), orientation_(orientation) {}

  void start(int width, int height, SampleLayout layout,
             const std::vector<std::uint8_t>& profile) override {
    decoded_ = {width, height};
    conversion_ = conversionToSrgb(profile.data(), profile.size(), layout);
    const int bands = layout == SampleLayout::Grey ? 1 : 3;
    if (conversion_) {
      converted_.resize(std::size_t(width) * std::size_t(bands));
    }
    resamplers_.clear();
    for (PixelSize size : stored_) {
      resamplers_.push_back(
          std::make_unique<Resampler>(width, height, bands, size.width, size.height));
    }
  }

  void row(const std::uint8_t* samples) override {
    if (conversion_) {
      conversion_->convert(samples, converted_.data(), std::size_t(decoded_.width));
      samples = converted_.data();
    }
    for (auto& resampler : resamplers_) {
      resampler->push(samples);
    }
  }

  // The drawings into `outs`; false when any is missing.
  bool finish(const std::vector<Scratch*>& outs) {
    if (resamplers_.size() != outs.size()) {
      return false;
    }
    for (size_t i = 0; i < outs.size(); ++i) {
      Pixels drawn = resamplers_[i]->take();
      if (drawn.empty()) {
        return false;
      }
      keep(orientUpright(std::move(drawn), orientation_), decoded_, *outs[i]);
    }
    return true;
  }

 private:
  const std::vector<PixelSize>& stored_;
  int orientation_;
  PixelSize decoded_;
  std::shared_ptr<const ColourConversion> conversion_;
  std::vector<std::uint8_t> converted_;
  std::vector<std::unique_ptr<Resampler>> resamplers_;
};

void releaseAll(const std::vector<Scratch*>& outs) {
  for (Scratch* out : outs) {
    out->release();
  }
}

bool paint(const Picture& picture, const std::vector<PixelSize>& targets,
           const std::vector<Scratch*>& outs, QString* error) {
  releaseAll(outs);
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
  const Internals::PictureData& source = Internals::of(picture);
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
  Drawings drawings(stored, source.orientation);
  if (source.libjpeg) {
    const JpegDecode result = decodeJpegFile(source.path, shrink, drawings);
    if (result == JpegDecode::Done && drawings.finish(outs)) {
      return true;
    }
    releaseAll(outs);
    if (result != JpegDecode::NotPlain) {
      setError(error, result == JpegDecode::Damaged    ? damagedMessage(source.path)
                      : result == JpegDecode::TooLarge ? tooLargeMessage(source.path)
                                                       : cannotDecodeMessage(source.path));
      return false;
    }
  }
  const VipsRoad* road = vipsRoad();
  if (!road) {
    setError(error, notReadyMessage());
    return false;
  }
  // libvips decodes (in 8-bit sRGB or grey, flattened on white); the same
  // resampler as for JPEGs draws.
  Pixels decoded;
  if (!road->decode(source.path, shrink, decoded) || decoded.empty()) {
    setError(error, damagedMessage(source.path));
    return false;
  }
  drawings.start(decoded.width, decoded.height,
                 decoded.bands == 1 ? SampleLayout::Grey : SampleLayout::Rgb, {});
  for (int y = 0; y < decoded.height; ++y) {
    drawings.row(&decoded.data[std::size_t(y) * decoded.rowBytes()]);
  }
  decoded = {};
  if (!drawings.finish(outs)) {
    releaseAll(outs);
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

}  // namespace pixolane::imaging
