#include "imaging/CImageInfo.h"

#include <QFile>

#include <array>
#include <memory>

namespace pixolane::imaging {

namespace {

constexpr int kBufferSize = 65536;
// The JPEG walk gives up at this offset, which keeps every read of a marker
// and its frame header inside the buffer.
constexpr int kWalkEnd = 65525;

using Buffer = std::array<std::uint8_t, kBufferSize>;

int word(const Buffer& b, int high, int low) {
  return b[high] * 256 + b[low];
}

bool isFrameHeader(std::uint8_t code) {
  // SOF0..SOF15 without DHT (C4), JPG (C8) and DAC (CC).
  return code >= 0xC0 && code <= 0xCF && code != 0xC4 && code != 0xC8 && code != 0xCC;
}

// The first 64 KiB of the file; bytes past its end stay 0.
bool readStart(const QString& path, Buffer& b) {
  b.fill(0);
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    return false;
  }
  qint64 total = 0;
  while (total < kBufferSize) {
    const qint64 got = file.read(reinterpret_cast<char*>(b.data()) + total, kBufferSize - total);
    if (got < 0) {
      return false;
    }
    if (got == 0) {
      break;
    }
    total += got;
  }
  return true;
}

// Bits per pixel from the PNG header's bit depth and colour type; -1 for an
// unknown colour type.
int pngDepth(const Buffer& b) {
  const int bitDepth = b[24];
  switch (b[25]) {
    case 0:
      return bitDepth;
    case 2:
      return bitDepth * 3;
    case 3:
      return 8;
    case 4:
      return bitDepth * 2;
    case 6:
      return bitDepth * 4;
    default:
      return -1;
  }
}

// The offset of the frame header's marker code, walking the markers from the
// first start of image; -1 when the walk reaches its end first. Every other
// marker, even one without a length, is skipped by a length.
int jpegFrameHeader(const Buffer& b) {
  int i = 0;
  while (i < kWalkEnd && !(b[i] == 0xFF && b[i + 1] == 0xD8 && b[i + 2] == 0xFF)) {
    ++i;
  }
  int j = i + 2;
  while (j < kWalkEnd) {
    if (b[j] == 0xFF && b[j + 1] != 0xFF) {
      const int m = j + 1;
      if (isFrameHeader(b[m])) {
        return m;
      }
      j = m + word(b, m + 1, m + 2);
    } else {
      j = j + 1;
    }
  }
  return -1;
}

}  // namespace

CImageInfo::Status CImageInfo::ReadImageInfo(const QString& sFileName) {
  width_ = 0;
  height_ = 0;
  depth_ = 0;
  imageType_ = Unknown;

  // 64 KiB is too much for a worker thread's stack.
  auto buffer = std::make_unique<Buffer>();
  const Buffer& b = *buffer;
  if (!readStart(sFileName, *buffer)) {
    return Status::CannotRead;
  }

  // Depth is 8 bits wide: a larger value fails with the properties set so far.
  auto setDepth = [this](int value) {
    if (value > 255) {
      return false;
    }
    depth_ = std::uint8_t(value);
    return true;
  };

  if (b[0] == 0x89 && b[1] == 0x50 && b[2] == 0x4E) {
    // An unknown colour type leaves the type unknown: the JPEG walk still runs.
    if (const int depth = pngDepth(b); depth >= 0) {
      imageType_ = Png;
      if (!setDepth(depth)) {
        return Status::Overflow;
      }
      width_ = word(b, 18, 19);
      height_ = word(b, 22, 23);
    }
  }

  if (b[0] == 'G' && b[1] == 'I' && b[2] == 'F') {
    imageType_ = Gif;
    width_ = word(b, 7, 6);
    height_ = word(b, 9, 8);
    depth_ = std::uint8_t((b[10] & 7) + 1);
  }

  if (b[0] == 'B' && b[1] == 'M') {
    imageType_ = Bmp;
    width_ = word(b, 19, 18);
    height_ = word(b, 23, 22);
    depth_ = b[28];
  }

  if (imageType_ != Unknown) {
    return Status::Ok;
  }

  const int m = jpegFrameHeader(b);
  if (m < 0) {
    return Status::Ok;
  }
  imageType_ = Jpeg;
  height_ = word(b, m + 4, m + 5);
  width_ = word(b, m + 6, m + 7);
  return setDepth(b[m + 8] * 8) ? Status::Ok : Status::Overflow;
}

}  // namespace pixolane::imaging
