#pragma once
// libjpeg straight, for the pictures that need nothing else: decoding a plain
// JPEG at a DCT scale, and the one JPEG encoder every written picture goes through.
#include "imaging/Pixels.h"

#include <QByteArray>
#include <QString>

#include <cstdlib>
#include <memory>

namespace pixolane::imaging {

// What the header of a JPEG file says, read without libvips.
struct JpegHeader {
  int width = 0;  // as stored, before the orientation
  int height = 0;
  int orientation = 1;  // EXIF, 1..8
  bool plain = false;   // YCbCr, RGB or grey, 8 bits, no colour profile
};

// False when the file cannot be read as a JPEG header.
bool readJpegHeader(const QString& path, JpegHeader& header);

// The orientation tag of an EXIF block (the APP1 payload after "Exif\0\0"'s
// start); 1 when absent or out of range.
int exifOrientation(const unsigned char* data, std::size_t size);

enum class JpegDecode {
  Done,
  NotPlain,  // CMYK, YCCK or another layout: for the general road
  Failed,    // not readable as a JPEG at all
};

// Decodes a JPEG file at 1/shrink (1, 2, 4 or 8) to 8-bit RGB, or grey for a
// grey file. Damaged data past the header decodes as far as it goes, as
// libjpeg does, with the rest grey.
JpegDecode decodeJpegFile(const QString& path, int shrink, Pixels& out);
// The same for bytes in memory, at full size; NotPlain also when they carry a
// colour profile or an orientation to apply.
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
