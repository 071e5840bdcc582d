#pragma once
// The standalone page's own files and facts: beside each thumbnail a
// high-density one (twice the box, web quality), and each photograph's caption
// and date taken, read from its header. The gallery's plan decides for these
// files as for the other outputs (an `OutputKind`): kept, drawn, given up,
// pruned and recorded the same way.
//
// A run touches it at three points, in order: `planWebThumbnails` from the
// plan, `webThumbnailStep` after the thumbnails, and the standalone page
// (which reads `captions` and the files).
#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

#include "imaging/Caption.h"
#include "job/GalleryJob.h"
#include "run/GalleryRecord.h"
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

// The key of every such file of a run: what shapes its bytes.
QString webThumbnailSettings(const job::GalleryJob& job);

struct GalleryPlan;

// The run's files as its plan has them (`reused` is set when step 1 keeps or
// copies them).
WebThumbnails planWebThumbnails(const job::GalleryJob& job, const GalleryPlan& plan);

// The step after the thumbnails, for pictures whose thumbnail is on disk
// (`hasThumbnail`): reads each caption and draws the files not kept. A file
// that cannot be drawn goes to `failed`; its picture keeps its plain
// thumbnail.
StepEnd webThumbnailStep(const job::GalleryJob& job, const StepSettings& settings, RunView& view,
                         WebThumbnails& web, const std::function<bool(int)>& hasThumbnail,
                         const std::function<void(int, const QString&)>& failed);

}  // namespace pixolane::run
