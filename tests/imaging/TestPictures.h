#pragma once
// Pictures drawn with libvips for the imaging tests, and small readers of the
// JPEG byte stream.
#include <vips/vips8>

#include <QByteArray>
#include <QFile>
#include <QString>

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace pixolane::imaging::test {

inline void initVips() {
  // No operation cache: the tests write out.jpg again and again, and a cached
  // load would hand back the first picture written under that name.
  static const bool ready = VIPS_INIT("test_imaging") == 0 && (vips_cache_set_max(0), true);
  (void)ready;
}

// Gradients in red and green, noise in blue: detail for the encoder and a
// content that shows rotations.
inline vips::VImage detailedPicture(int width, int height) {
  initVips();
  using vips::VImage;
  VImage xy = VImage::xyz(width, height);
  VImage red = xy[0] * (255.0 / std::max(1, width - 1));
  VImage green = xy[1] * (255.0 / std::max(1, height - 1));
  VImage blue =
      VImage::gaussnoise(width, height, VImage::option()->set("mean", 128.0)->set("sigma", 40.0));
  return VImage::bandjoin(std::vector<VImage>{red, green, blue})
      .cast(VIPS_FORMAT_UCHAR)
      .copy(VImage::option()->set("interpretation", VIPS_INTERPRETATION_sRGB));
}

// One flat colour.
inline vips::VImage flatPicture(int width, int height, std::vector<double> colour) {
  initVips();
  using vips::VImage;
  VImage black = VImage::black(width, height, VImage::option()->set("bands", int(colour.size())));
  return (black + colour)
      .cast(VIPS_FORMAT_UCHAR)
      .copy(VImage::option()->set("interpretation", colour.size() == 1 ? VIPS_INTERPRETATION_B_W
                                                                       : VIPS_INTERPRETATION_sRGB));
}

inline void saveJpeg(const vips::VImage& image, const QString& path, int quality = 92) {
  image.jpegsave(QFile::encodeName(path).constData(), vips::VImage::option()->set("Q", quality));
}

inline QByteArray readAll(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    return {};
  }
  return file.readAll();
}

inline vips::VImage loadFile(const QString& path) {
  initVips();
  return vips::VImage::new_from_file(QFile::encodeName(path).constData());
}

// Marker codes of the JPEG segments before the first scan, in order.
inline std::vector<std::uint8_t> jpegMarkers(const QByteArray& data) {
  std::vector<std::uint8_t> markers;
  const auto* b = reinterpret_cast<const std::uint8_t*>(data.constData());
  const qsizetype n = data.size();
  if (n < 4 || b[0] != 0xFF || b[1] != 0xD8) {
    return markers;
  }
  qsizetype i = 2;
  while (i + 4 <= n && b[i] == 0xFF) {
    const std::uint8_t code = b[i + 1];
    markers.push_back(code);
    if (code == 0xDA) {
      break;
    }
    i += 2 + (b[i + 2] << 8 | b[i + 3]);
  }
  return markers;
}

inline bool hasMarker(const QByteArray& data, std::uint8_t code) {
  for (std::uint8_t m : jpegMarkers(data)) {
    if (m == code) {
      return true;
    }
  }
  return false;
}

// First value of the quantisation table with id 0 (luminance), natural order.
inline std::optional<int> firstLuminanceQuant(const QByteArray& data) {
  const auto* b = reinterpret_cast<const std::uint8_t*>(data.constData());
  const qsizetype n = data.size();
  qsizetype i = 2;
  while (i + 4 <= n && b[i] == 0xFF) {
    const std::uint8_t code = b[i + 1];
    const int length = b[i + 2] << 8 | b[i + 3];
    if (code == 0xDB) {
      qsizetype p = i + 4;
      while (p < i + 2 + length) {
        const int precision = b[p] >> 4;
        const int id = b[p] & 0x0F;
        if (id == 0) {
          return precision ? (b[p + 1] << 8 | b[p + 2]) : b[p + 1];
        }
        p += 1 + (precision ? 128 : 64);
      }
    }
    if (code == 0xDA) {
      break;
    }
    i += 2 + length;
  }
  return std::nullopt;
}

}  // namespace pixolane::imaging::test
