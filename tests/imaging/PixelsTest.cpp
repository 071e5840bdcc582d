// TestPictures.h brings libvips, which must come before Qt's keyword macros.
#include "imaging/TestPictures.h"

#include <gtest/gtest.h>

#include "imaging/JpegCodec.h"
#include "imaging/Pixels.h"

#include <cmath>
#include <cstring>

namespace pixolane::imaging {
namespace {

using vips::VImage;

Pixels flat(int width, int height, std::vector<std::uint8_t> colour) {
  Pixels p = Pixels::sized(width, height, int(colour.size()));
  for (std::size_t i = 0; i < p.data.size(); ++i) {
    p.data[i] = colour[i % colour.size()];
  }
  return p;
}

// Weights that do not sum to one, or edges read past the border, show up as
// a flat colour that is no longer flat.
TEST(Pixels, ResamplingKeepsAFlatColourAndTheExactSize) {
  struct Case {
    int fromWidth, fromHeight, toWidth, toHeight;
  } cases[] = {{1000, 750, 800, 600}, {950, 600, 140, 88}, {1410, 793, 140, 79},
               {64, 48, 800, 600},    {1, 1, 3, 2},        {5, 700, 1, 100}};
  for (const Case& c : cases) {
    for (const auto& colour : {std::vector<std::uint8_t>{200, 17, 255}, {0}}) {
      const Pixels out =
          resampleLanczos3(flat(c.fromWidth, c.fromHeight, colour), c.toWidth, c.toHeight);
      ASSERT_EQ(out.width, c.toWidth);
      ASSERT_EQ(out.height, c.toHeight);
      EXPECT_EQ(out.data, flat(c.toWidth, c.toHeight, colour).data)
          << c.fromWidth << "x" << c.fromHeight << " -> " << c.toWidth << "x" << c.toHeight;
    }
  }
}

// The vector build of the loops and the plain one do the same arithmetic in
// the same order, so a processor with AVX2 and one without give the same
// bytes; noise reaches every tap and the rounding of every sum.
TEST(Pixels, VectorAndPlainLoopsGiveTheSameBytes) {
  std::uint32_t seed = 7;
  for (int bands : {1, 3}) {
    Pixels noise = Pixels::sized(1503, 997, bands);
    for (std::uint8_t& v : noise.data) {
      seed = seed * 1664525u + 1013904223u;
      v = std::uint8_t(seed >> 24);
    }
    for (auto [width, height] : {std::pair{800, 531}, {140, 93}, {1700, 1001}, {751, 997}}) {
      EXPECT_EQ(resampleLanczos3(noise, width, height, Kernels::Best).data,
                resampleLanczos3(noise, width, height, Kernels::Plain).data)
          << bands << " bands to " << width << "x" << height;
    }
  }
}

// A bright band must land where its share of the width says, also when a
// block shrink leaves a part block at the edge (950 = 3 x 316 + 2). The band
// is wide so that blocks, which keep only which block a pixel fell in, do not
// blur its centre.
TEST(Pixels, ResamplingDoesNotShiftThePicture) {
  for (int width : {1000, 950, 1410, 320}) {
    Pixels in = flat(width, 60, {0});
    const int column = width * 9 / 10;
    for (int y = 0; y < in.height; ++y) {
      for (int x = column - 15; x <= column + 15; ++x) {
        in.data[std::size_t(y * width + x)] = 255;
      }
    }
    const Pixels out = resampleLanczos3(in, 140, 8);
    double mass = 0;
    double moment = 0;
    for (int x = 0; x < out.width; ++x) {
      mass += out.data[std::size_t(out.width * 4 + x)];
      moment += out.data[std::size_t(out.width * 4 + x)] * (x + 0.5);
    }
    EXPECT_NEAR(moment / mass, (column + 0.5) * 140.0 / width, 0.05) << width;
  }
}

TEST(Pixels, EveryOrientationTurnsLikeLibvipsAutorot) {
  test::initVips();
  Pixels stored = Pixels::sized(3, 2, 1);
  for (std::size_t i = 0; i < stored.data.size(); ++i) {
    stored.data[i] = std::uint8_t(10 * (i + 1));
  }
  for (int orientation = 1; orientation <= 8; ++orientation) {
    VImage image =
        VImage::new_from_memory(stored.data.data(), stored.data.size(), 3, 2, 1, VIPS_FORMAT_UCHAR)
            .copy();
    image.set(VIPS_META_ORIENTATION, orientation);
    const VImage turned = image.autorot();
    size_t size = 0;
    void* expected = turned.write_to_memory(&size);
    const Pixels ours = orientUpright(stored, orientation);
    EXPECT_EQ(ours.width, turned.width()) << orientation;
    EXPECT_TRUE(size == ours.data.size() && std::memcmp(expected, ours.data.data(), size) == 0)
        << orientation;
    g_free(expected);
  }
}

// The encoder's settings are the ones libvips' jpegsave used (chroma halved
// below quality 90, optimised tables, nothing but the picture), so its bytes
// are the same.
TEST(JpegCodec, EncodesTheBytesLibvipsJpegsaveGave) {
  test::initVips();
  const VImage colour = test::detailedPicture(96, 64);
  struct Case {
    int bands, quality;
    bool progressive;
  } cases[] = {{3, 85, true}, {3, 100, true}, {3, 90, false}, {1, 75, true}};
  for (const Case& c : cases) {
    const VImage image = c.bands == 3 ? colour : colour[0];
    size_t size = 0;
    void* memory = image.write_to_memory(&size);
    Pixels pixels = Pixels::sized(image.width(), image.height(), c.bands);
    std::memcpy(pixels.data.data(), memory, size);
    g_free(memory);
    VipsBlob* blob = image.jpegsave_buffer(VImage::option()
                                               ->set("Q", c.quality)
                                               ->set("interlace", c.progressive)
                                               ->set("optimize_coding", true)
                                               ->set("strip", true));
    size_t length = 0;
    const void* expected = vips_blob_get(blob, &length);
    EncodedJpeg ours;
    ASSERT_TRUE(encodeJpeg(pixels, c.quality, c.progressive, ours));
    EXPECT_TRUE(ours.size == length && std::memcmp(ours.bytes.get(), expected, length) == 0)
        << c.bands << " bands, quality " << c.quality;
    vips_area_unref(VIPS_AREA(blob));
  }
}

TEST(JpegCodec, ExifOrientationIsReadSafely) {
  // Little- and big-endian TIFF headers, one directory entry.
  const std::vector<unsigned char> intel{'I', 'I', 42, 0, 8, 0, 0, 0, 1, 0, 0x12,
                                         1,   3,   0,  1, 0, 0, 0, 6, 0, 0, 0};
  const std::vector<unsigned char> motorola{'M',  'M', 0, 42, 0, 0, 0, 8, 0, 1, 1,
                                            0x12, 0,   3, 0,  0, 0, 1, 0, 8, 0, 0};
  std::vector<unsigned char> outOfRange = intel;
  outOfRange[18] = 9;
  std::vector<unsigned char> pastTheEnd = intel;
  pastTheEnd[8] = 200;  // more entries than bytes
  std::vector<unsigned char> badDirectory = motorola;
  badDirectory[4] = 0xff;
  struct Case {
    const char* name;
    std::vector<unsigned char> bytes;
    std::size_t size;
    int expected;
  } cases[] = {{"intel", intel, intel.size(), 6},
               {"motorola", motorola, motorola.size(), 8},
               {"out of range", outOfRange, outOfRange.size(), 1},
               {"cut inside the entry", intel, 20, 1},
               {"entry count past the end", pastTheEnd, pastTheEnd.size(), 6},
               {"directory past the end", badDirectory, badDirectory.size(), 1},
               {"not TIFF", {'x', 'x', 'x', 'x', 0, 0, 0, 0}, 8, 1}};
  for (const Case& c : cases) {
    EXPECT_EQ(exifOrientation(c.bytes.data(), c.size), c.expected) << c.name;
  }
}

}  // namespace
}  // namespace pixolane::imaging
