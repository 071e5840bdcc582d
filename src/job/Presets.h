#pragma once
// The fixed sizes both faces offer: the full-size pictures' presets and the
// thumbnail boxes. The window's buttons and the terminal's words name these.
#include <array>
#include <optional>
#include <string_view>

namespace pixolane::job {

struct SizePreset {
  int width;
  int height;
};

// Smallest first; any other size is the custom one ("Personnalisé").
inline constexpr std::array<SizePreset, 5> kSizePresets{
    {{320, 240}, {640, 480}, {800, 600}, {1024, 768}, {1280, 1024}}};

inline constexpr bool isSizePreset(int width, int height) {
  for (const SizePreset& p : kSizePresets) {
    if (p.width == width && p.height == height)
      return true;
  }
  return false;
}

struct ThumbnailBox {
  std::string_view name;  // the terminal's word
  int side;               // a square box, in pixels
};

inline constexpr ThumbnailBox kSmallThumbnails{"small", 100};
inline constexpr ThumbnailBox kMediumThumbnails{"medium", 140};
inline constexpr ThumbnailBox kLargeThumbnails{"large", 230};
inline constexpr std::array<ThumbnailBox, 3> kThumbnailBoxes{kSmallThumbnails, kMediumThumbnails,
                                                             kLargeThumbnails};

inline constexpr std::optional<int> thumbnailSide(std::string_view name) {
  for (const ThumbnailBox& box : kThumbnailBoxes) {
    if (box.name == name)
      return box.side;
  }
  return std::nullopt;
}

}  // namespace pixolane::job
