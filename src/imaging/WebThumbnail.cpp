#include "imaging/WebThumbnail.h"

#include <algorithm>

#include "imaging/Limits.h"

namespace pixolane::imaging {

PixelSize webThumbnailSize(const Picture& picture, int boxWidth, int boxHeight) {
  // Twice the box, never past the side the launch checks allow.
  const auto twice = [](int side) { return int(std::min<qint64>(qint64(side) * 2, kMaxSide)); };
  return proportionalSurfaceSize(picture.widthTwips(), picture.heightTwips(), twice(boxWidth),
                                 twice(boxHeight));
}

bool writeWebThumbnail(const Picture& picture, int boxWidth, int boxHeight, Scratch& scratch,
                       const QString& destination, QString* error) {
  return PaintPicture(picture, webThumbnailSize(picture, boxWidth, boxHeight), scratch, error) &&
         DIWriteJpg(scratch, destination, kWebThumbnailQuality, 1, error) == 1;
}

}  // namespace pixolane::imaging
