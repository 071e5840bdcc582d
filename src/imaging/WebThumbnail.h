#pragma once
// The standalone page's high-density thumbnail: twice the thumbnail's box, so
// it stays sharp on phones and high-density screens, at a web quality rather
// than the gallery thumbnails' 100 (a fifth of the bytes at twice the side).
#include <QString>

#include "imaging/Imaging.h"

namespace pixolane::imaging {

constexpr int kWebThumbnailQuality = 82;

// The drawing's size: the proportional sizing of the thumbnails in a box of
// twice `boxWidth` x `boxHeight`.
PixelSize webThumbnailSize(const Picture& picture, int boxWidth, int boxHeight);

// Draws the picture at that size into `scratch` and writes it to
// `destination`, progressive, at kWebThumbnailQuality, through the same
// engine (colour managed) and writer as every picture. False, and why in
// French, when the source cannot be drawn or the file written.
bool writeWebThumbnail(const Picture& picture, int boxWidth, int boxHeight, Scratch& scratch,
                       const QString& destination, QString* error = nullptr);

}  // namespace pixolane::imaging
