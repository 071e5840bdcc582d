#pragma once
// What shapes an output's bytes, as the key a re-run compares (a picture an
// earlier run made with the same key from the same source, still as that run
// left it, is not drawn again: see Plan.h), and the names the record uses.
#include <QString>
#include <QStringList>

#include "job/GalleryJob.h"

namespace pixolane::run {

// The key of a full-size picture: target size, proportions, quality,
// progressive or baseline, engine version; or the copy's (stripped of private
// data or not). `drawnTogether`:
// drawn from one decode with its thumbnail, which then shapes it too when its
// box does not fit in the target (the decode scale serves the larger).
QString pictureSettings(const job::GalleryJob& job, bool drawnTogether);
// The key of a thumbnail: its box, progressive or baseline, engine version,
// and, drawn together with the full-size picture, that picture's size and
// proportions (they choose the decode scale).
QString thumbnailSettings(const job::GalleryJob& job, bool drawnTogether);

// The last status of a gallery run: "12 images dessinées, 988 inchangées"
// (0 and 1 take the singular, as in French).
QString drawnAndUnchanged(int drawn, int unchanged);

// The record's name of a file under the destination ('/' between folders),
// and back.
QString recordName(const QString& destination, const QString& path, QChar sep);
QString recordPath(const QString& destination, const QString& name, QChar sep);

}  // namespace pixolane::run
