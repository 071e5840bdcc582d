#include <gtest/gtest.h>

#include "imaging/CImageInfo.h"

#include <QByteArray>
#include <QFile>
#include <QTemporaryDir>

#include <cstdint>
#include <initializer_list>

namespace pixolane::imaging {
namespace {

QByteArray bytes(std::initializer_list<int> values) {
  QByteArray out;
  for (int v : values) {
    out.append(char(std::uint8_t(v)));
  }
  return out;
}

// A PNG signature and IHDR with the given size, bit depth and colour type.
QByteArray pngHeader(int width, int height, int bitDepth, int colourType) {
  QByteArray b =
      bytes({0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A, 0, 0, 0, 13, 'I', 'H', 'D', 'R'});
  b += bytes({(width >> 24) & 0xFF, (width >> 16) & 0xFF, (width >> 8) & 0xFF, width & 0xFF});
  b += bytes({(height >> 24) & 0xFF, (height >> 16) & 0xFF, (height >> 8) & 0xFF, height & 0xFF});
  b += bytes({bitDepth, colourType, 0, 0, 0, 0, 0, 0, 0});
  return b;
}

QByteArray gifHeader(int width, int height, int flags) {
  return bytes({'G', 'I', 'F', '8', '9', 'a', width & 0xFF, width >> 8, height & 0xFF, height >> 8,
                flags, 0, 0});
}

QByteArray bmpHeader(int width, int height, int bitsPerPixel) {
  QByteArray b(54, '\0');
  b[0] = 'B';
  b[1] = 'M';
  for (int k = 0; k < 4; ++k) {
    b[18 + k] = char((std::uint32_t(width) >> (8 * k)) & 0xFF);
    b[22 + k] = char((std::uint32_t(height) >> (8 * k)) & 0xFF);
  }
  b[28] = char(bitsPerPixel);
  return b;
}

QByteArray segment(int code, int payloadLength) {
  const int length = payloadLength + 2;
  return bytes({0xFF, code, length >> 8, length & 0xFF}) + QByteArray(payloadLength, '\x11');
}

QByteArray frameHeader(int code, int width, int height, int components) {
  return bytes({0xFF, code, 0, 8 + 3 * components, 8, height >> 8, height & 0xFF, width >> 8,
                width & 0xFF, components});
}

const QByteArray kSoi = bytes({0xFF, 0xD8});

struct InfoCase {
  const char* name;
  QByteArray content;
  CImageInfo::Status status;
  std::int32_t type;
  std::int32_t width;
  std::int32_t height;
  int depth;
};

class ImageHeaderReader : public ::testing::TestWithParam<InfoCase> {};

TEST_P(ImageHeaderReader, ReadsTypeSizeAndDepth) {
  const InfoCase& c = GetParam();
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QString path = dir.filePath("picture");
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(c.content);
  file.close();

  CImageInfo info;
  EXPECT_EQ(info.ReadImageInfo(path), c.status);
  EXPECT_EQ(info.ImageType(), c.type);
  EXPECT_EQ(info.Width(), c.width);
  EXPECT_EQ(info.Height(), c.height);
  EXPECT_EQ(int(info.Depth()), c.depth);
}

using S = CImageInfo::Status;
using T = CImageInfo::Type;

const InfoCase kCases[] = {
    // PNG: depth from colour type and bit depth; only 16 bits of each side.
    {"png_grey_16bit", pngHeader(640, 480, 16, 0), S::Ok, T::Png, 640, 480, 16},
    {"png_rgb_8bit", pngHeader(640, 480, 8, 2), S::Ok, T::Png, 640, 480, 24},
    {"png_rgba_8bit", pngHeader(640, 480, 8, 6), S::Ok, T::Png, 640, 480, 32},
    {"png_rgba_16bit", pngHeader(640, 480, 16, 6), S::Ok, T::Png, 640, 480, 64},
    {"png_palette_any_depth", pngHeader(32, 16, 4, 3), S::Ok, T::Png, 32, 16, 8},
    {"png_grey_alpha", pngHeader(32, 16, 8, 4), S::Ok, T::Png, 32, 16, 16},
    {"png_width_modulo_65536", pngHeader(70000, 5, 8, 2), S::Ok, T::Png, 70000 - 65536, 5, 24},
    {"png_bad_colour_type", pngHeader(32, 16, 8, 5), S::Ok, T::Unknown, 0, 0, 0},
    // Bit depth 100 x 3 does not fit in 8 bits: the type is already set.
    {"png_depth_overflow", pngHeader(32, 16, 100, 2), S::Overflow, T::Png, 0, 0, 0},
    {"png_truncated", pngHeader(32, 16, 8, 2).left(20), S::Ok, T::Png, 32, 0, 0},
    // GIF: little-endian sides, depth from the low three bits of byte 10.
    {"gif_depth_8", gifHeader(300, 200, 0xF7), S::Ok, T::Gif, 300, 200, 8},
    {"gif_depth_1", gifHeader(300, 200, 0x80), S::Ok, T::Gif, 300, 200, 1},
    {"gif_truncated", bytes({'G', 'I', 'F'}), S::Ok, T::Gif, 0, 0, 1},
    // BMP: a bottom-up negative height comes out as 65,536 minus its magnitude.
    {"bmp_24bit", bmpHeader(800, 600, 24), S::Ok, T::Bmp, 800, 600, 24},
    {"bmp_negative_height", bmpHeader(800, -600, 32), S::Ok, T::Bmp, 800, 65536 - 600, 32},
    {"bmp_truncated", bytes({'B', 'M', 1, 2}), S::Ok, T::Bmp, 0, 0, 0},
    // JPEG marker walk.
    {"jpeg_baseline", kSoi + frameHeader(0xC0, 1024, 768, 3), S::Ok, T::Jpeg, 1024, 768, 24},
    {"jpeg_greyscale", kSoi + frameHeader(0xC0, 640, 480, 1), S::Ok, T::Jpeg, 640, 480, 8},
    {"jpeg_progressive", kSoi + frameHeader(0xC2, 640, 480, 3), S::Ok, T::Jpeg, 640, 480, 24},
    {"jpeg_app_segment_first",
     kSoi + segment(0xE0, 14) + segment(0xE1, 3000) + frameHeader(0xC1, 333, 222, 3), S::Ok,
     T::Jpeg, 333, 222, 24},
    {"jpeg_dht_c8_dac_are_not_frames",
     kSoi + segment(0xC4, 30) + segment(0xC8, 5) + segment(0xCC, 4) + frameHeader(0xCF, 50, 60, 3),
     S::Ok, T::Jpeg, 50, 60, 24},
    {"jpeg_fill_bytes_skipped", kSoi + bytes({0xFF, 0xFF, 0xFF}) + frameHeader(0xC0, 8, 9, 3),
     S::Ok, T::Jpeg, 8, 9, 24},
    {"jpeg_soi_not_at_start", QByteArray(1000, 'x') + kSoi + frameHeader(0xC0, 20, 10, 3), S::Ok,
     T::Jpeg, 20, 10, 24},
    {"jpeg_soi_just_before_limit", QByteArray(65522, '\0') + kSoi + frameHeader(0xC0, 20, 10, 3),
     S::Ok, T::Jpeg, 20, 10, 24},
    {"jpeg_soi_too_late", QByteArray(65523, '\0') + kSoi + frameHeader(0xC0, 20, 10, 3), S::Ok,
     T::Unknown, 0, 0, 0},
    // The walk stops at offset 65,525 even where a frame header still fits the buffer.
    {"jpeg_frame_at_65524",
     kSoi + segment(0xE1, 65000) + segment(0xE2, 514) + frameHeader(0xC0, 20, 10, 3), S::Ok,
     T::Jpeg, 20, 10, 24},
    {"jpeg_frame_beyond_65525",
     kSoi + segment(0xE1, 65000) + segment(0xE2, 515) + frameHeader(0xC0, 20, 10, 3), S::Ok,
     T::Unknown, 0, 0, 0},
    // 40 components x 8: the type and sides are kept, the depth is not.
    {"jpeg_depth_overflow", kSoi + frameHeader(0xC0, 20, 10, 40), S::Overflow, T::Jpeg, 20, 10, 0},
    {"empty_file", QByteArray(), S::Ok, T::Unknown, 0, 0, 0},
    {"text_file", QByteArray("Bonjour, ceci n'est pas une image.\n"), S::Ok, T::Unknown, 0, 0, 0},
};

INSTANTIATE_TEST_SUITE_P(Files, ImageHeaderReader, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ImageHeaderReaderFailure, MissingFileCannotBeReadAndClearsEarlierResults) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QString gif = dir.filePath("a.gif");
  QFile file(gif);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(gifHeader(10, 20, 0x81));
  file.close();

  CImageInfo info;
  ASSERT_EQ(info.ReadImageInfo(gif), CImageInfo::Status::Ok);
  ASSERT_EQ(info.Width(), 10);
  EXPECT_EQ(info.ReadImageInfo(dir.filePath("absent.jpg")), CImageInfo::Status::CannotRead);
  EXPECT_EQ(info.ImageType(), 0);
  EXPECT_EQ(info.Width(), 0);
  EXPECT_EQ(info.Height(), 0);
  EXPECT_EQ(info.Depth(), 0);
  EXPECT_EQ(info.ReadImageInfo(dir.path()), CImageInfo::Status::CannotRead);
}

}  // namespace
}  // namespace pixolane::imaging
