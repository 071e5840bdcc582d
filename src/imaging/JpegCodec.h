#pragma once
// libjpeg straight: decoding every JPEG it reads at a DCT scale, row by row,
// and the one JPEG encoder every written picture goes through.
#include "imaging/ColourProfiles.h"
#include "imaging/Pixels.h"

#include <QByteArray>
#include <QString>

#include <cstdlib>
#include <memory>
#include <vector>

namespace pixolane::imaging {

// What the header of a JPEG file says, read without libvips.
struct JpegHeader {
  int width = 0;  // as stored, before the orientation
  int height = 0;
  int orientation = 1;   // EXIF, 1..8
  bool libjpeg = false;  // 8-bit grey, YCbCr, RGB, CMYK or YCCK: decoded here
};

// False when the file cannot be read as a JPEG header.
bool readJpegHeader(const QString& path, JpegHeader& header);

// The orientation tag of an EXIF block (the APP1 payload after "Exif\0\0"'s
// start); 1 when absent or out of range.
int exifOrientation(const unsigned char* data, std::size_t size);

enum class JpegDecode {
  Done,
  NotPlain,  // 12-bit samples or another layout: for libvips
  Failed,    // not readable as a JPEG at all
  Damaged,   // cut short or corrupt: libjpeg would show a part of it, grey below
  TooLarge,  // a progressive picture whose coefficients pass kMaxCoefficientBytes
};

// Where decoded rows go, one at a time, top to bottom, as libjpeg gives them.
class JpegRows {
 public:
  virtual ~JpegRows() = default;
  // The decoded size (after DCT scaling), the samples' layout (1, 3 or 4
  // bytes a pixel) and the embedded colour profile, empty when there is none.
  virtual void start(int width, int height, SampleLayout layout,
                     const std::vector<std::uint8_t>& profile) = 0;
  virtual void row(const std::uint8_t* samples) = 0;
};

// Decodes a JPEG file at 1/shrink (1, 2, 4 or 8) into `rows`, in its own
// samples (no colour conversion). Damaged is decided on libjpeg's warnings:
// data cut short or corrupt; a missing end marker after complete data is not
// damage.
JpegDecode decodeJpegFile(const QString& path, int shrink, JpegRows& rows);
// The same into one buffer (RGB, grey or CMYK samples as stored).
JpegDecode decodeJpegFile(const QString& path, int shrink, Pixels& out,
                          SampleLayout* layout = nullptr,
                          std::vector<std::uint8_t>* profile = nullptr);
// Bytes in memory, at full size, to RGB or grey; NotPlain when they carry a
// colour profile or an orientation to apply, or are CMYK.
JpegDecode decodeJpegBytes(const QByteArray& bytes, Pixels& out);

struct FreeDeleter {
  void operator()(unsigned char* p) const { std::free(p); }
};
struct EncodedJpeg {
  std::unique_ptr<unsigned char, FreeDeleter> bytes;
  std::size_t size = 0;
};

// Quality clamped to 1..100, optimised Huffman tables, no metadata; chroma
// is halved both ways below quality 90 and kept whole from 90 up.
bool encodeJpeg(const Pixels& pixels, int quality, bool progressive, EncodedJpeg& out);

}  // namespace pixolane::imaging
