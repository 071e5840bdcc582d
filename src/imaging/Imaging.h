#pragma once
// The one road every encoded picture takes: load a source (header only), size
// the drawing surface, draw the whole source stretched into it (the scratch
// picture, kept in memory), and encode the scratch picture as a JPEG file.
#include <QByteArray>
#include <QString>

#include <memory>

namespace pixolane::imaging {

constexpr int kTwipsPerPixel = 15;
constexpr int kFrameTwips = 60;  // the drawing surface's 2-pixel frame on both sides

struct PixelSize {
  int width = 0;
  int height = 0;
  friend bool operator==(const PixelSize&, const PixelSize&) = default;
};

// Surface sizing. The holder's size is in twips (15 per pixel, no frame of its
// own); the box is in pixels; the result is the surface's inner size in pixels.
PixelSize fixedSurfaceSize(double holderWidthTwips, double holderHeightTwips, int boxWidth,
                           int boxHeight);
PixelSize proportionalSurfaceSize(double holderWidthTwips, double holderHeightTwips, int boxWidth,
                                  int boxHeight);

// The picture holder: a source opened for its upright size (EXIF orientation
// applied) without decoding its pixels.
class Picture {
 public:
  Picture();
  ~Picture();
  Picture(const Picture&);
  Picture& operator=(const Picture&);

  static Picture LoadPicture(const QString& path);

  bool ok() const;
  const QString& error() const;  // French text when !ok()
  const QString& path() const;
  int width() const;  // upright pixels
  int height() const;
  double widthTwips() const { return double(width()) * kTwipsPerPixel; }
  double heightTwips() const { return double(height()) * kTwipsPerPixel; }

 private:
  friend struct Internals;
  struct Impl;
  std::shared_ptr<Impl> d;
};

// The scratch picture: the drawing that the JPEG writer encodes. One per worker.
class Scratch {
 public:
  Scratch();
  ~Scratch();
  Scratch(const Scratch&);
  Scratch& operator=(const Scratch&);

  bool empty() const;
  PixelSize size() const;
  void release();  // "deleting the scratch bitmap"
  // The size the source was decoded at before resampling (after the JPEG
  // loader's DCT scaling): shows that large sources are not decoded in full.
  PixelSize decodedSize() const;

 private:
  friend struct Internals;
  struct Impl;
  std::shared_ptr<Impl> d;
};

// Draws the whole picture stretched to exactly `inner` pixels into `out`.
// False (and a French message in *error) when the source cannot be decoded.
bool PaintPicture(const Picture& picture, PixelSize inner, Scratch& out, QString* error = nullptr);

// One decode, two drawings: the full-size picture and the thumbnail of step 2,
// both drawn from the decoded source (never from an encoded output).
bool PaintPictureTwice(const Picture& picture, PixelSize first, Scratch& outFirst, PixelSize second,
                       Scratch& outSecond, QString* error = nullptr);

// Encodes the scratch picture to `destination`: quality 1..100 (below 1 counts
// as 1), progressive when `progressive` is 1. Written to a temporary name and
// renamed, so the destination is complete or untouched. Returns 1 when written.
int DIWriteJpg(const Scratch& scratch, const QString& destination, int quality, int progressive,
               QString* error = nullptr);

// The same encoding kept in memory (the compression preview).
QByteArray encodeJpeg(const Scratch& scratch, int quality, int progressive,
                      QString* error = nullptr);

// Decoded pixels for display: 8-bit RGB, rows packed (3 bytes per pixel).
struct RgbImage {
  int width = 0;
  int height = 0;
  QByteArray rgb;
  bool isNull() const { return width <= 0 || height <= 0; }
};

// Decodes an encoded picture held in memory.
RgbImage decodeRgb(const QByteArray& encoded, QString* error = nullptr);

// Loads a picture file for showing it at most maxWidth x maxHeight, upright,
// with shrink-on-load; *fullSize receives the picture's upright size.
RgbImage loadForDisplay(const QString& path, int maxWidth, int maxHeight, PixelSize* fullSize,
                        QString* error = nullptr);

// Threads each libvips pipeline may use (0: libvips' default, one per core).
// A run that already draws several pictures in parallel does best with 1.
void setConcurrency(int threads);

}  // namespace pixolane::imaging
