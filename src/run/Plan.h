#pragma once
// A gallery run's decisions, all made here before any picture is written:
// the layout, the lock, the record read once, the answers to the questions,
// and for every listed picture and each of its outputs whether it is drawn,
// kept or copied, or why the picture is given up; then what goes once the
// new page is in place (files a "Oui" gave up, what --prune removes).
// `--dry-run` prints a plan; the passes carry one out and decide nothing.
//
// The rules that compare names (the destination's case rule), identify a
// source and read the record live here alone.
//
// Outputs of an entry are a small table indexed by `OutputKind`. A new kind
// of output (another file per picture) is one more value there, its path in
// `outputPathOf`, its settings key in `settingsOf` and whether this run makes
// it in `wantedOutput`; the plan then keeps, draws, gives up, prunes and
// records it like the others, and the pass that draws it reads its
// `OutputPlan`.
#include <QString>
#include <QStringList>

#include <array>
#include <vector>

#include "job/GalleryJob.h"
#include "run/Folders.h"
#include "run/GalleryLock.h"
#include "run/GalleryRecord.h"
#include "run/Naming.h"
#include "run/ProcessingRun.h"
#include "run/RunView.h"

namespace pixolane::run {

enum class OutputKind { Picture, Thumbnail, WebThumbnail };
inline constexpr int kOutputKinds = 3;
inline constexpr OutputKind kOutputKindsAll[] = {OutputKind::Picture, OutputKind::Thumbnail,
                                                 OutputKind::WebThumbnail};

enum class Action {
  Draw,  // made by this run
  Keep,  // an earlier run's file, as it left it
  Copy,  // an earlier run's file under the source's old name, copied
};

struct OutputPlan {
  // False: the run does not make this output (the standalone page is not
  // asked for, or the name would be another listed picture's); it is then
  // neither drawn nor counted, but its file is still the picture's, never an
  // orphan.
  bool wanted = true;
  QString path;      // empty when the picture has no such file
  QString settings;  // the key that shapes its bytes
  Action action = Action::Draw;
  QString copyFrom;  // for Copy
  QString reason;    // why, in French, for --dry-run
  bool reused() const { return action != Action::Draw; }
};

struct EntryPlan {
  QString sourcePath;
  FileIdentity source;  // taken before drawing, for the record
  std::array<OutputPlan, kOutputKinds> outputs;
  // Not empty: the picture is not made at all (an error entry), and why.
  QString givenUp;

  OutputPlan& output(OutputKind kind) { return outputs[size_t(kind)]; }
  const OutputPlan& output(OutputKind kind) const { return outputs[size_t(kind)]; }
  bool unchanged() const;
};

// A file deleted once the new page is in place, as it was when planned.
struct Deletion {
  QString path;
  FileIdentity id;
  QString reason;
};

// The destination's rule for names: case folded where its file system folds.
struct NameRule {
  bool foldsCase = false;
  QString key(const QString& name) const { return foldsCase ? name.toCaseFolded() : name; }
};

struct GalleryPlan {
  OutputLayout layout;
  QString destination;  // with its final separator
  QString recordFile;
  NameRule names;
  GalleryLock lock;      // held while the plan lives (not for a dry run)
  GalleryRecord record;  // read once
  // Not ok: the run stops before anything is written (a message, a cancel,
  // a declined replacement).
  FolderOutcome stop;
  std::vector<EntryPlan> entries;  // one per listed picture
  std::vector<Deletion> deletions;

  int unchanged() const;
};

enum class PlanMode {
  Run,     // takes the lock, takes an old record over, prepares the folders
  DryRun,  // touches nothing; the view answers the questions
};

GalleryPlan planGallery(const job::GalleryJob& job, const RunOptions& options, RunView& view,
                        PlanMode mode = PlanMode::Run);

// The path of an output of a listed source.
QString outputPathOf(const OutputLayout& layout, OutputKind kind, const QString& source);
// The settings key of an output; `drawnTogether` as pictureSettings says.
QString settingsOf(const job::GalleryJob& job, OutputKind kind, bool drawnTogether);

// The content key recorded for a page, so that any edit makes it the user's.
QString pageContentKey(const QByteArray& bytes);

// What --dry-run prints: listed pictures to draw (with why), unchanged, given
// up (with why), and the files the run would delete; or why it would stop.
struct DryRun {
  QStringList toDraw;
  QStringList unchanged;
  QStringList givenUp;
  QStringList toDelete;
  QString stop;
};
DryRun describe(const GalleryPlan& plan);

}  // namespace pixolane::run
