#include "run/Passes.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPair>
#include <QSet>

#include <algorithm>
#include <vector>

#include "imaging/CImageInfo.h"
#include "imaging/Imaging.h"
#include "pages/Pages.h"
#include "platform/Files.h"
#include "run/Folders.h"
#include "run/GalleryRecord.h"
#include "run/Naming.h"
#include "run/Plan.h"
#include "run/Rerun.h"
#include "run/Standalone.h"
#include "run/Step.h"
#include "run/ThumbnailStore.h"
#include "run/WebThumbnails.h"

namespace pixolane::run {

using imaging::CImageInfo;
using job::GalleryJob;
using job::isOne;

using imaging::Picture;
using imaging::PixelSize;
using platform::writeFileAtomically;

namespace {

// Per-entry outcome of a pass, filled by the workers (one slot per entry, so
// no locking is needed) and read in list order afterwards.
struct Outcomes {
  explicit Outcomes(qsizetype n)
      : errors(n),
        reasons(n),
        thumbnailWritten(n, 0),
        pictureWritten(n, 0),
        thumbnailReused(n, 0),
        pictureReused(n, 0),
        keptThumbnails(n),
        unreadable(n, 0) {}
  std::vector<QString> errors;
  std::vector<QString> reasons;  // why, in French
  std::vector<char> thumbnailWritten;
  std::vector<char> pictureWritten;
  std::vector<char> thumbnailReused;  // an earlier run's, as it left it (or copied)
  std::vector<char> pictureReused;
  ThumbnailStore keptThumbnails;  // drawn during step 1, when that pays
  std::vector<char> unreadable;   // step 1 could not decode the source

  // The first failure of an entry is the one reported. Called on the worker
  // that owns the entry.
  void fail(int index, const QString& source, const QString& reason) {
    if (!errors[index].isEmpty())
      return;
    errors[index] = errorEntry(source);
    reasons[index] = reason;
  }
};

PixelSize thumbnailSize(const Picture& picture, const GalleryJob& job) {
  return imaging::proportionalSurfaceSize(picture.widthTwips(), picture.heightTwips(),
                                          job.LargeurMini, job.HauteurMini);
}

PixelSize fullSize(const Picture& picture, const GalleryJob& job) {
  const auto size =
      isOne(job.Check2) ? imaging::proportionalSurfaceSize : imaging::fixedSurfaceSize;
  return size(picture.widthTwips(), picture.heightTwips(), job.LargeurCible, job.HauteurCible);
}

// Draws a thumbnail of the source into the worker's scratch picture; false
// (and why) when the source cannot be decoded or drawn.
bool drawThumbnail(const QString& source, const GalleryJob& job, WorkerState& state,
                   QString* reason) {
  const Picture picture = Picture::LoadPicture(source);
  if (!picture.ok()) {
    *reason = picture.error();
    return false;
  }
  return imaging::PaintPicture(picture, thumbnailSize(picture, job), state.scratch, reason);
}

// Draws a thumbnail of the source and writes it; false (and why) when either failed.
bool makeThumbnail(const QString& source, const QString& destination, const GalleryJob& job,
                   WorkerState& state, QString* reason) {
  return drawThumbnail(source, job, state, reason) &&
         imaging::DIWriteJpg(state.scratch, destination, 100, job.Progressif, reason) == 1;
}

StepSettings step(const ProcessingRun& run, const QString& status, bool second) {
  return StepSettings{status, second, run.options().workers, run.options().sep};
}

void collectErrors(const Outcomes& outcomes, RunReport& report) {
  for (size_t i = 0; i < outcomes.errors.size(); ++i) {
    if (!outcomes.errors[i].isEmpty())
      report.addError(outcomes.errors[i], outcomes.reasons[i]);
  }
  for (size_t i = 0; i < outcomes.pictureWritten.size(); ++i) {
    report.picturesWritten += outcomes.pictureWritten[i];
    report.thumbnailsWritten += outcomes.thumbnailWritten[i];
    report.unchanged += outcomes.pictureReused[i] && outcomes.thumbnailReused[i];
    report.drawn += outcomes.pictureWritten[i] || outcomes.thumbnailWritten[i];
  }
}

// The laid-out cells: every entry whose thumbnail was written or kept,
// measured from the file's header. A thumbnail that cannot be read back is an
// error entry, never a silent gap in the page.
std::vector<pages::Cell> measureCells(const QStringList& list, const Outcomes& outcomes,
                                      const std::function<QString(const QString&)>& thumbOf,
                                      QChar sep, RunReport& report) {
  std::vector<pages::Cell> cells;
  for (int i = 0; i < list.size(); ++i) {
    if (!outcomes.thumbnailWritten[i] && !outcomes.thumbnailReused[i])
      continue;
    CImageInfo info;
    if (info.ReadImageInfo(thumbOf(list.at(i))) != CImageInfo::Status::Ok ||
        info.ImageType() == CImageInfo::Unknown) {
      report.addError(errorEntry(list.at(i)),
                      QStringLiteral("la miniature écrite ne se relit pas : ") +
                          QDir::toNativeSeparators(thumbOf(list.at(i))));
      continue;
    }
    cells.push_back({NomPic(list.at(i), sep), info.Width(), info.Height()});
  }
  return cells;
}

// The cells and their settings, as both pages lay them out.
pages::Layout pageLayout(const GalleryJob& job, const Outcomes& outcomes,
                         const std::function<QString(const QString&)>& thumbOf, QChar sep,
                         RunReport& report) {
  return pages::Layout{job.Check5, job.Bordure, job.CompteurColonnes,
                       measureCells(job.List1, outcomes, thumbOf, sep, report)};
}

void Generation_Html(ProcessingRun& run, const OutputLayout& layout, const Outcomes& outcomes,
                     const WebThumbnails& web, RunReport& report) {
  const GalleryJob& job = run.job();
  run.view().setStatus(QStringLiteral("Génération du fichier php..."));
  pages::GalleryPageData data;
  data.pageName = job.Text4;
  data.sitePath = job.Text6;
  data.Check6 = job.Check6;
  static_cast<pages::Layout&>(data) = pageLayout(
      job, outcomes, [&](const QString& s) { return layout.thumbnailOf(s); }, layout.sep, report);
  QString error;
  if (writeFileAtomically(layout.page, pages::galleryPage(data), &error))
    report.pagePath = layout.page;
  else
    report.addError(error);
  if (web.active && !report.pagePath.isEmpty())
    writeStandalone(job, layout, data.cells, web, report);
}

bool stopForFolders(const FolderOutcome& outcome, RunView& view, RunReport& report) {
  if (outcome.ok)
    return false;
  if (outcome.cancelled) {
    report.cancelled = true;
    return true;
  }
  if (outcome.declined) {  // the user's own answer: nothing to show
    report.stopped = report.declined = true;
    return true;
  }
  report.stopped = true;
  report.stopMessage = outcome.message;
  view.showError(outcome.message);
  return true;
}

// Step 2 of both passes: a thumbnail per entry, from the picture drawn in
// step 1 when there is one, from the source otherwise.
// A step over the list whose failures, thrown ones included, become error entries.
StepEnd runListStep(ProcessingRun& run, const StepSettings& settings, Outcomes& outcomes,
                    const StepWork& work) {
  const QStringList& list = run.job().List1;
  return runStep(list, settings, run.view(), work,
                 [&](int i, const QString& reason) { outcomes.fail(i, list.at(i), reason); });
}

StepEnd thumbnailStep(ProcessingRun& run, const OutputLayout& layout, const QString& status,
                      Outcomes& outcomes) {
  const GalleryJob& job = run.job();
  return runListStep(run, step(run, status, true), outcomes, [&](int i, WorkerState& state) {
    if (outcomes.unreadable[i] || outcomes.thumbnailReused[i])
      return;  // step 1 already reported it, or kept an earlier run's
    const QString source = job.List1.at(i);
    const QString destination = layout.thumbnailOf(source);
    QString reason;
    const QByteArray kept = outcomes.keptThumbnails.take(i);
    const bool written = kept.isEmpty() ? makeThumbnail(source, destination, job, state, &reason)
                                        : writeFileAtomically(destination, kept, &reason);
    outcomes.thumbnailWritten[i] = written;
    if (!written)
      outcomes.fail(i, source, reason);
  });
}

// The end of a pass: the error entries, then the page unless the run stopped.
RunReport finishPass(ProcessingRun& run, Outcomes& outcomes, const StepEnd& end,
                     const std::function<void(RunReport&)>& writePage) {
  RunReport report;
  collectErrors(outcomes, report);
  report.cancelled = end.cancelled;
  if (!end.stopMessage.isEmpty()) {
    stopForFolders({false, end.stopMessage}, run.view(), report);
    return report;
  }
  if (end.completed())
    writePage(report);
  return report;
}

using FirstStep = std::function<void(int index, WorkerState&, const OutputLayout&, Outcomes&)>;

// An output the plan keeps: left where it is, or copied from its old name
// when its source was renamed. False when it must be drawn.
bool reuseOutput(const OutputPlan& plan) {
  switch (plan.action) {
    case Action::Draw:
      return false;
    case Action::Keep:
      return true;
    case Action::Copy:
      return platform::copyFileAtomically(plan.copyFrom, plan.path);
  }
  return false;
}

bool madeOrKept(const Outcomes& outcomes, const WebThumbnails& web, int i, OutputKind kind) {
  switch (kind) {
    case OutputKind::Picture:
      return outcomes.pictureWritten[i] || outcomes.pictureReused[i];
    case OutputKind::Thumbnail:
      return outcomes.thumbnailWritten[i] || outcomes.thumbnailReused[i];
    case OutputKind::WebThumbnail:
      return web.written[size_t(i)] || web.reused[size_t(i)];
  }
  return false;
}

// After the steps, whatever their outcome: once the page is in place, the
// plan's deletions, each only while it is the file that was planned and
// never the very file (same identity) the page links; then the record: what
// the run wrote or kept, with its source and settings, and what earlier runs
// wrote that is still there as they left it.
void finishGallery(const GalleryPlan& plan, const QStringList& list, const Outcomes& outcomes,
                   const WebThumbnails& web, RunReport& report) {
  const QString& destination = plan.destination;
  const QChar sep = plan.layout.sep;
  QSet<QString> gone;  // disk keys of the record names deleted
  if (!report.pagePath.isEmpty()) {
    QSet<QPair<quint64, quint64>> linked;
    for (int i = 0; i < list.size(); ++i) {
      for (const OutputPlan& out : plan.entries[size_t(i)].outputs) {
        const FileIdentity id = fileIdentity(out.path);  // none for an empty path
        if (id.exists())
          linked.insert({id.device, id.inode});
      }
    }
    for (const Deletion& d : plan.deletions) {
      const FileIdentity now = fileIdentity(d.path);
      if (now != d.id || linked.contains({now.device, now.inode}))
        continue;  // replaced since, or the very file the page links
      if (QFile::remove(d.path))
        gone << plan.names.key(recordName(destination, d.path, sep));
      else
        report.addError(QStringLiteral("Impossible d'effacer ") + QDir::toNativeSeparators(d.path));
    }
  }
  QSet<QString> rewritten;  // disk keys of what this run records anew
  GalleryRecord kept;
  const auto put = [&](const QString& path, const EntryPlan& entry, const QString& settings) {
    RecordEntry written = GalleryRecord::entryFor(recordName(destination, path, sep), path);
    written.source = entry.sourcePath;
    written.sourceId = entry.source;  // as it was before drawing
    written.settings = settings;
    rewritten << plan.names.key(written.output);
    kept.put(std::move(written));
  };
  for (int i = 0; i < list.size(); ++i) {
    const EntryPlan& entry = plan.entries[size_t(i)];
    // Kept outputs too: their source may now be listed from elsewhere.
    for (const OutputKind kind : kOutputKindsAll) {
      if (madeOrKept(outcomes, web, i, kind))
        put(entry.output(kind).path, entry, entry.output(kind).settings);
    }
  }
  const auto putPage = [&](const QString& page) {
    RecordEntry entry = GalleryRecord::entryFor(recordName(destination, page, sep), page);
    QByteArray bytes;
    if (platform::readOwnFile(page, &bytes) == platform::OwnFile::Read)
      entry.settings = pageContentKey(bytes);
    rewritten << plan.names.key(entry.output);
    kept.put(std::move(entry));
  };
  if (!report.pagePath.isEmpty())
    putPage(plan.layout.page);
  if (!report.standalonePath.isEmpty())
    putPage(plan.layout.document);
  for (const RecordEntry& entry : plan.record.entries()) {
    const QString key = plan.names.key(entry.output);
    if (!gone.contains(key) && !rewritten.contains(key) &&
        GalleryRecord::stillOnDisk(entry, recordPath(destination, entry.output, sep)))
      kept.put(entry);
  }
  QString error;
  if (!kept.save(plan.recordFile, &error) || !platform::syncFolder(destination, &error))
    report.addError(error);
}

// Both passes: the plan (lock, folders, questions, what to draw, keep and
// delete), step 1 (`first` per picture), step 2 (thumbnails), then the page
// and the end. Every file is written beside its final name and renamed over
// it, and what a "Oui" gave up goes only once the new page is in place: at
// every moment the page on disk links whole pictures.
RunReport outputPass(ProcessingRun& run, const QString& firstStatus, const QString& thumbnailStatus,
                     const FirstStep& first) {
  const GalleryJob& job = run.job();
  RunView& view = run.view();
  const GalleryPlan plan = planGallery(job, run.options(), view);
  RunReport stopped;
  if (stopForFolders(plan.stop, view, stopped))
    return stopped;
  const OutputLayout& layout = plan.layout;
  WebThumbnails web = planWebThumbnails(job, plan);

  Outcomes outcomes(job.List1.size());
  for (int i = 0; i < job.List1.size(); ++i) {
    const QString& givenUp = plan.entries[size_t(i)].givenUp;
    if (!givenUp.isEmpty()) {
      outcomes.unreadable[i] = 1;  // nothing of it is made
      outcomes.fail(i, job.List1.at(i), givenUp);
    }
  }
  StepEnd end =
      runListStep(run, step(run, firstStatus, false), outcomes, [&](int i, WorkerState& state) {
        // What an earlier run made the same way is kept;
        // `first` draws what is left as a fresh run would.
        const EntryPlan& entry = plan.entries[size_t(i)];
        if (!entry.givenUp.isEmpty())
          return;
        outcomes.thumbnailReused[i] = reuseOutput(entry.output(OutputKind::Thumbnail));
        outcomes.pictureReused[i] = reuseOutput(entry.output(OutputKind::Picture));
        const OutputPlan& webThumbnail = entry.output(OutputKind::WebThumbnail);
        web.reused[size_t(i)] = webThumbnail.wanted && reuseOutput(webThumbnail);
        if (!outcomes.pictureReused[i] || !outcomes.thumbnailReused[i])
          first(i, state, layout, outcomes);
      });
  if (end.completed())
    end = thumbnailStep(run, layout, thumbnailStatus, outcomes);
  if (end.completed() && web.active)
    end = webThumbnailStep(
        job, step(run, QStringLiteral("Miniatures haute densité et légendes"), true), view, web,
        [&](int i) { return outcomes.thumbnailWritten[i] || outcomes.thumbnailReused[i]; },
        [&](int i, const QString& reason) { outcomes.fail(i, job.List1.at(i), reason); });
  RunReport report = finishPass(run, outcomes, end, [&](RunReport& report) {
    // The pictures' names must be durable before a page links them.
    QString error;
    if (!platform::syncFolder(layout.photosFolder, &error) ||
        !platform::syncFolder(layout.thumbnailsFolder, &error)) {
      report.addError(error);
      return;
    }
    Generation_Html(run, layout, outcomes, web, report);
    if (!report.pagePath.isEmpty() && !platform::syncFolder(plan.destination, &error))
      report.addError(error);
  });
  // A picture whose high-density thumbnail alone was drawn was drawn.
  for (size_t i = 0; i < web.written.size(); ++i) {
    if (web.written[i] && outcomes.pictureReused[i] && outcomes.thumbnailReused[i]) {
      --report.unchanged;
      ++report.drawn;
    }
  }
  finishGallery(plan, job.List1, outcomes, web, report);
  if (!report.pagePath.isEmpty())
    view.setStatus(drawnAndUnchanged(report.drawn, report.unchanged));
  return report;
}

}  // namespace

QString errorEntry(const QString& sourcePath) {
  return QStringLiteral("Une erreur s'est produite... (") + sourcePath + ')';
}

// How many thumbnails the resize pass may keep between its steps: about
// 256 MB at the worst (a thumbnail at quality 100 stays under three bytes a
// pixel). Decided by list position, so the bytes written never depend on
// which worker finished first.
int thumbnailsKept(const GalleryJob& job) {
  const qint64 worst =
      qint64(std::max(1, job.LargeurMini)) * std::max(1, job.HauteurMini) * 3 + 4096;
  return int(std::min<qint64>(job.List1.size(), (qint64(256) << 20) / worst));
}

RunReport Traitement(ProcessingRun& run) {
  const GalleryJob& job = run.job();
  const int keptThumbnails = thumbnailsKept(job);
  return outputPass(
      run, QStringLiteral("Génération des Images Web Etape 1/2"),
      QStringLiteral("Génération des miniatures-Etape 2/2"),
      [&](int i, WorkerState& state, const OutputLayout& layout, Outcomes& outcomes) {
        const QString source = job.List1.at(i);
        // The same drawing calls as a fresh run, so every byte is the same: a
        // thumbnail drawn with its full-size picture comes from that decode.
        const bool paintBoth = i < keptThumbnails;
        if (outcomes.pictureReused[i] && !paintBoth)
          return;  // step 2 draws the thumbnail alone
        const Picture picture = Picture::LoadPicture(source);
        if (!picture.ok()) {
          outcomes.unreadable[i] = 1;
          outcomes.fail(i, source, picture.error());
          return;
        }
        // One decode serves both the full-size picture and its thumbnail, as
        // long as the thumbnails kept for step 2 stay within their budget.
        // When the full-size picture fails, step 2 still draws the thumbnail.
        QString reason;
        imaging::Scratch thumbnail;
        const bool painted =
            paintBoth
                ? imaging::PaintPictureTwice(picture, fullSize(picture, job), state.scratch,
                                             thumbnailSize(picture, job), thumbnail, &reason)
                : imaging::PaintPicture(picture, fullSize(picture, job), state.scratch, &reason);
        if (!painted) {
          outcomes.fail(i, source, reason);
          return;
        }
        if (paintBoth && !outcomes.thumbnailReused[i])
          outcomes.keptThumbnails.put(i, imaging::encodeJpeg(thumbnail, 100, job.Progressif));
        if (outcomes.pictureReused[i])
          return;
        outcomes.pictureWritten[i] = imaging::DIWriteJpg(state.scratch, layout.photoOf(source),
                                                         job.Qualite, job.Progressif, &reason) == 1;
        if (!outcomes.pictureWritten[i])
          outcomes.fail(i, source, reason);
      });
}

namespace {

// The copy pass's check before a copy: the thumbnail is drawn first, so a
// source that cannot be decoded (damaged, cut short, not a picture) is never
// copied; within the budget the thumbnail waits for step 2, which writes the
// same bytes it would have drawn.
bool thumbnailBeforeCopy(int i, const QString& source, const GalleryJob& job, int keptThumbnails,
                         WorkerState& state, Outcomes& outcomes) {
  QString reason;
  if (drawThumbnail(source, job, state, &reason)) {
    if (i < keptThumbnails)
      outcomes.keptThumbnails.put(i, imaging::encodeJpeg(state.scratch, 100, job.Progressif));
    return true;
  }
  outcomes.unreadable[i] = 1;
  outcomes.fail(i, source, reason);
  return false;
}

}  // namespace

RunReport Traitement_Copie(ProcessingRun& run) {
  const GalleryJob& job = run.job();
  const int keptThumbnails = thumbnailsKept(job);
  return outputPass(run, QStringLiteral("Copie des Images Etape 1/2"),
                    QStringLiteral("Génération des miniatures Etape 2/2"),
                    [&](int i, WorkerState& state, const OutputLayout& layout, Outcomes& outcomes) {
                      if (outcomes.pictureReused[i])
                        return;
                      const QString source = job.List1.at(i);
                      // A thumbnail kept from an earlier run vouches for the unchanged source.
                      if (!outcomes.thumbnailReused[i] &&
                          !thumbnailBeforeCopy(i, source, job, keptThumbnails, state, outcomes))
                        return;
                      QString reason;
                      outcomes.pictureWritten[i] =
                          copyPicture(source, layout.photoOf(source), job.stripPrivate, &reason);
                      if (!outcomes.pictureWritten[i])
                        outcomes.fail(i, source, reason);
                    });
}

namespace {

// The preview folder: the per-user one, emptied freely, or one the user named,
// which must be missing, empty or an earlier preview's, and hold no source.
FolderOutcome preparePreview(const ProcessingRun& run, const QString& folder) {
  const bool named = !run.options().previewFolder.isEmpty();
  FolderOutcome outcome = named ? checkNamedPreviewFolder(folder) : FolderOutcome{};
  if (outcome.ok)
    outcome = checkSourcesOutside(run.job().List1, {folder}, {});
  if (outcome.ok)
    outcome = preparePreviewFolder(folder, named);
  return outcome;
}

void writePreviewPage(ProcessingRun& run, const QString& folder, const Outcomes& outcomes,
                      const std::function<QString(const QString&)>& thumbOf, RunReport& report) {
  const GalleryJob& job = run.job();
  run.view().setStatus(QStringLiteral("Génération du fichier Html..."));
  pages::PreviewPageData data;
  data.title = job.Text5;
  static_cast<pages::Layout&>(data) = pageLayout(job, outcomes, thumbOf, run.options().sep, report);
  const QString page = folder + QStringLiteral("temp.html");
  QString error;
  if (!writeFileAtomically(page, pages::previewPage(data), &error)) {
    report.addError(error);
    return;
  }
  report.pagePath = page;
  run.view().navigate(page);
}

}  // namespace

RunReport Apercu(ProcessingRun& run) {
  const GalleryJob& job = run.job();
  const QChar sep = run.options().sep;
  QString folder = run.options().previewFolder;
  if (folder.isEmpty())
    folder = platform::previewFolder();
  folder = platform::withFinalSeparator(folder, sep);
  RunReport stopped;
  if (stopForFolders(preparePreview(run, folder), run.view(), stopped))
    return stopped;

  Outcomes outcomes(job.List1.size());
  const auto thumbOf = [&](const QString& source) { return folder + NomPic(source, sep); };
  const StepEnd end = runListStep(
      run, step(run, QStringLiteral("Génération des miniatures (Aperçu)"), true), outcomes,
      [&](int i, WorkerState& state) {
        const QString source = job.List1.at(i);
        QString reason;
        outcomes.thumbnailWritten[i] = makeThumbnail(source, thumbOf(source), job, state, &reason);
        outcomes.pictureWritten[i] = outcomes.thumbnailWritten[i];
        if (!outcomes.thumbnailWritten[i])
          outcomes.fail(i, source, reason);
      });
  RunReport report = finishPass(run, outcomes, end, [&](RunReport& report) {
    writePreviewPage(run, folder, outcomes, thumbOf, report);
  });
  if (!run.options().previewFolder.isEmpty()) {
    // The next preview empties this folder of these files only.
    GalleryRecord record;
    for (int i = 0; i < job.List1.size(); ++i) {
      if (outcomes.thumbnailWritten[i])
        record.put(GalleryRecord::entryFor(NomPic(job.List1.at(i), sep), thumbOf(job.List1.at(i))));
    }
    if (!report.pagePath.isEmpty())
      record.put(GalleryRecord::entryFor(QStringLiteral("temp.html"), report.pagePath));
    QString error;
    if (!record.save(previewMark(folder), &error))
      report.addError(error);
  }
  return report;
}

}  // namespace pixolane::run
