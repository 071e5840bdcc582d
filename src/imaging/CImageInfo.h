#pragma once
// Type, pixel size and colour depth of a PNG, GIF, BMP or JPEG file, read from
// its first 64 KiB without decoding the picture. Depends on file reading only.
#include <QString>

#include <cstdint>

namespace pixolane::imaging {

class CImageInfo {
 public:
  enum class Status { Ok, CannotRead, Overflow };
  enum Type : std::int32_t { Unknown = 0, Gif = 1, Jpeg = 2, Png = 3, Bmp = 4 };

  // Replaces the four properties. CannotRead and Overflow are the failures the
  // caller must handle; the properties then keep what was set before.
  Status ReadImageInfo(const QString& sFileName);

  std::int32_t Width() const { return width_; }
  std::int32_t Height() const { return height_; }
  std::uint8_t Depth() const { return depth_; }
  std::int32_t ImageType() const { return imageType_; }

 private:
  std::int32_t width_ = 0;
  std::int32_t height_ = 0;
  std::uint8_t depth_ = 0;
  std::int32_t imageType_ = 0;
};

}  // namespace pixolane::imaging
