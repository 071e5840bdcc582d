#pragma once
// What a re-run may keep: a picture an earlier run made from the same source
// with the same settings, still as that run left it, is not drawn again.
//
// "The same source" is rsync's quick check plus the file's identity: device,
// inode, size and modification time to the nanosecond, wherever it is listed
// from now. A rename or a move within a file system keeps all four, so the
// outputs of a renamed source are found under their old name and copied. A
// source listed under another identity whose recorded source is still there
// as it was is compared with it byte for byte: only then, where it saves a
// drawing, is content read.
// "The same settings" is a key per output holding everything that shapes its
// bytes (and the drawing engine's version), nothing else.
#include <QString>
#include <QStringList>

#include <vector>

#include "job/GalleryJob.h"
#include "run/GalleryRecord.h"
#include "run/Naming.h"

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

// True when the recorded output may stand for the one this run would make:
// the output is on disk as recorded, made with `settings` from the very
// source `source` is now.
bool outputUnchanged(const RecordEntry& recorded, const FileIdentity& output,
                     const FileIdentity& source, const QString& settings);

struct OutputPlan {
  bool reuse = false;
  // When reused from an earlier output of the same source under another name
  // (the source was renamed): that file, to be copied to the new name.
  QString copyFrom;
};

struct EntryPlan {
  OutputPlan picture;
  OutputPlan thumbnail;
  QString pictureSettings;
  QString thumbnailSettings;
  QString sourcePath;
  FileIdentity source;  // taken before drawing, for the record
  bool unchanged() const { return picture.reuse && thumbnail.reuse; }
};

struct RerunPlan {
  std::vector<EntryPlan> entries;  // one per listed picture
  // Files of the two folders that an earlier run wrote for pictures no longer
  // listed, still as it left them: what --prune deletes.
  QStringList orphans;
  int unchanged() const;
};

// The plan of a run over `job.List1`. A missing or damaged record, or
// `force`, plans every output to be drawn. Entries whose output names collide
// are always drawn, so the later entry wins as in a fresh run.
RerunPlan planRerun(const job::GalleryJob& job, const OutputLayout& layout,
                    const QString& destination, const GalleryRecord& record, bool force);

// The last status of a gallery run: "12 images dessinées, 988 inchangées"
// (0 and 1 take the singular, as in French).
QString drawnAndUnchanged(int drawn, int unchanged);

// The record's name of a file under the destination ('/' between folders),
// and back.
QString recordName(const QString& destination, const QString& path, QChar sep);
QString recordPath(const QString& destination, const QString& name, QChar sep);

// What a run would do, for --dry-run: listed pictures to draw and unchanged,
// and the files it would delete (`replace`: the folders' files that are not
// this run's; `prune`: the orphans).
struct DryRun {
  QStringList toDraw;
  QStringList unchanged;
  QStringList toDelete;
};
DryRun dryRun(const job::GalleryJob& job, QChar sep, bool force, bool replace, bool prune);

}  // namespace pixolane::run
