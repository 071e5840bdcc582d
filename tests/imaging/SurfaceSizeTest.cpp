#include <gtest/gtest.h>

#include "imaging/Imaging.h"

namespace pixolane::imaging {
namespace {

struct SizingCase {
  const char* name;
  int sourceWidth;  // pixels; the holder reports 15 twips per pixel
  int sourceHeight;
  int boxWidth;
  int boxHeight;
  PixelSize proportional;
  PixelSize fixed;
};

// The ratio is applied to the framed side, so derived sides come out a little
// short of the exact proportion (599, not 600).
const SizingCase kCases[] = {
    {"landscape_4_3_in_800x600", 3072, 2304, 800, 600, {800, 599}, {800, 600}},
    {"portrait_3_4_in_800x600", 2304, 3072, 800, 600, {449, 600}, {600, 800}},
    {"landscape_thumbnail_140", 3072, 2304, 140, 140, {140, 104}, {140, 140}},
    {"portrait_thumbnail_140", 2304, 3072, 140, 140, {104, 140}, {140, 140}},
    {"square_counts_as_portrait", 1000, 1000, 800, 600, {600, 600}, {600, 800}},
    {"ratio_4_3_in_100", 400, 300, 100, 100, {100, 74}, {100, 100}},
    {"ratio_3_4_in_100", 300, 400, 100, 100, {74, 100}, {100, 100}},
    {"ratio_3_2_nearest_pixel", 300, 200, 100, 100, {100, 65}, {100, 100}},
    {"small_source_is_enlarged", 40, 30, 800, 600, {800, 599}, {800, 600}},
    {"tiny_source_is_enlarged", 1, 1, 140, 140, {140, 140}, {140, 140}},
    {"very_thin_keeps_one_pixel", 10000, 1, 100, 100, {100, 1}, {100, 100}},
    {"very_tall_keeps_one_pixel", 1, 10000, 100, 100, {1, 100}, {100, 100}},
};

class SurfaceSizing : public ::testing::TestWithParam<SizingCase> {};

TEST_P(SurfaceSizing, GivesTheSurfaceInnerSize) {
  const SizingCase& c = GetParam();
  const double lw = double(c.sourceWidth) * kTwipsPerPixel;
  const double lh = double(c.sourceHeight) * kTwipsPerPixel;
  EXPECT_EQ(proportionalSurfaceSize(lw, lh, c.boxWidth, c.boxHeight), c.proportional);
  EXPECT_EQ(fixedSurfaceSize(lw, lh, c.boxWidth, c.boxHeight), c.fixed);
}

INSTANTIATE_TEST_SUITE_P(Examples, SurfaceSizing, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(SurfaceSizingInput, ImpossibleInputGivesAnEmptySize) {
  const PixelSize none{};
  EXPECT_EQ(proportionalSurfaceSize(0, 100, 800, 600), none);
  EXPECT_EQ(proportionalSurfaceSize(100, 0, 800, 600), none);
  EXPECT_EQ(proportionalSurfaceSize(100, 100, 0, 600), none);
  EXPECT_EQ(fixedSurfaceSize(100, 100, 800, -1), none);
  EXPECT_EQ(fixedSurfaceSize(-5, 100, 800, 600), none);
}

}  // namespace
}  // namespace pixolane::imaging
