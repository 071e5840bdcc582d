#pragma once
// The standalone page's own files and facts: beside each thumbnail a
// high-density one (twice the box, web quality), and each photograph's caption
// and date taken, read from its header. Kept, recorded, given up and pruned as
// the thumbnails are.
//
// A run touches it at five points, in order: `planWebThumbnails` after the
// re-run plan, `webThumbnailStep` after the thumbnails, the standalone page
// (which reads `captions` and the files), `linkWebThumbnails` before what a
// "Oui" gave up is deleted, and `recordWebThumbnails` into the new record.
#include <QSet>
#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

#include "imaging/Caption.h"
#include "job/GalleryJob.h"
#include "run/GalleryRecord.h"
#include "run/Naming.h"
#include "run/Rerun.h"
#include "run/RunView.h"
#include "run/Step.h"

namespace pixolane::run {

// The high-density thumbnail's file name for a thumbnail named `fileName`.
QString webThumbnailName(const QString& fileName);

struct WebThumbnails {
  bool active = false;  // the run writes the standalone page
  // Per listed picture: the file's path, empty when it has none (its name
  // would be another listed picture's).
  std::vector<QString> paths;
  std::vector<char> reused;   // an earlier run's, still as it left it
  std::vector<char> written;  // drawn by this run
  std::vector<imaging::PhotoCaption> captions;
  std::vector<FileIdentity> sources;  // as before drawing, for the record
  QString settings;                   // the key of every such file of this run
};

// Which files the record vouches for (none with `force`). Whether or not the
// run writes the standalone page, the files of listed pictures are theirs, not
// orphans: they are taken out of `plan.orphans`.
WebThumbnails planWebThumbnails(const job::GalleryJob& job, const OutputLayout& layout,
                                const QString& destination, const GalleryRecord& record, bool force,
                                RerunPlan& plan);

// The step after the thumbnails, for pictures whose thumbnail is on disk
// (`hasThumbnail`): reads each caption and draws the files not kept. A file
// that cannot be drawn goes to `failed`; its picture keeps its plain
// thumbnail.
StepEnd webThumbnailStep(const job::GalleryJob& job, const StepSettings& settings, RunView& view,
                         WebThumbnails& web, const std::function<bool(int)>& hasThumbnail,
                         const std::function<void(int, const QString&)>& failed);

// Adds the files of listed pictures to the set a "Oui" never deletes (case
// folded, as the set is).
void linkWebThumbnails(const WebThumbnails& web, QSet<QString>& linked);

// Puts what this run drew or kept into the record.
void recordWebThumbnails(const WebThumbnails& web, const job::GalleryJob& job,
                         const QString& destination, QChar sep, GalleryRecord& record);

}  // namespace pixolane::run
