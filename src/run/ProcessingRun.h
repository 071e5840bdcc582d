#pragma once
// The logic of the processing window: load, the one timer tick that runs a
// pass or the preview, and unload. The window (or the terminal) only shows it.
#include <QChar>
#include <QString>
#include <QStringList>

#include <functional>

#include "job/GalleryJob.h"
#include "platform/Platform.h"
#include "run/RunView.h"

namespace pixolane::run {

struct RunReport {
  int picturesWritten = 0;  // full-size pictures, or preview thumbnails
  int thumbnailsWritten = 0;
  int drawn = 0;           // listed pictures with an output drawn (or copied) by this run
  int unchanged = 0;       // pictures an earlier run made the same way, kept as they were
  QStringList errors;      // "Une erreur s'est produite... (path)" entries, in list order
  QStringList reasons;     // reasons[i] says why errors[i] happened, in French (may be empty)
  bool cancelled = false;  // the user cancelled; no page was written
  bool stopped = false;    // the output folders could not be prepared; nothing was written
  bool declined = false;   // (and stopped) the user would not have a file of theirs replaced
  QString stopMessage;
  QString pagePath;        // the page written, when one was
  QString standalonePath;  // the standalone page written, when one was

  void addError(const QString& entry, const QString& reason = QString()) {
    errors << entry;
    reasons << reason;
  }
};

struct RunOptions {
  int workers = 0;  // 0: one per core
  QChar sep = platform::nativeSeparator();
  QString previewFolder;  // empty: the per-user preview folder
  bool force = false;     // draw everything, whatever earlier runs made
  bool prune = false;     // delete what earlier runs wrote for pictures no longer listed
  platform::DocumentOpener openDocument;  // empty: platform::openDocument
};

// What the unload did about the ".html" document.
enum class Unload {
  Nothing,     // not asked (Check4), or the run did not complete
  Opened,      // handed to the desktop
  Failed,      // the desktop could not open it
  NoDocument,  // asked, but there is no such document: the caller shows the page its own way
};

class ProcessingRun {
 public:
  using Pass = std::function<RunReport(ProcessingRun&)>;
  struct Passes {
    Pass traitement;
    Pass copie;
    Pass apercu;
  };
  // The passes a real run uses.
  static Passes standardPasses();

  ProcessingRun(job::GalleryJob job, RunView& view, RunOptions options = {});

  // Resets the progress bar and loads the row countdown from Combo1.
  void Form_Load();
  // Runs the preview, the resize pass or the copy pass; only the first call works.
  RunReport Timer1_Timer();
  // Opens the ".html" document when Check4 is 1, after a completed run only.
  Unload Form_Unload();

  void setPasses(Passes passes) { passes_ = std::move(passes); }

  const job::GalleryJob& job() const { return job_; }
  job::GalleryJob& job() { return job_; }
  RunView& view() { return view_; }
  const RunOptions& options() const { return options_; }
  const RunReport& report() const { return report_; }
  bool ran() const { return ran_; }

 private:
  job::GalleryJob job_;
  RunView& view_;
  RunOptions options_;
  Passes passes_;
  RunReport report_;
  bool ran_ = false;
};

// What both faces say when the user declined to replace a page of theirs.
QString declinedMessage();

// The whole-number reading of a combo box's text ("1" -> 1, anything else -> 0).
std::int16_t columnsFromCombo(const QString& text);

}  // namespace pixolane::run
