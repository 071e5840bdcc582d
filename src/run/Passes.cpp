#include "run/Passes.h"

#include <QFileInfo>

#include <algorithm>
#include <vector>

#include "imaging/CImageInfo.h"
#include "imaging/Imaging.h"
#include "pages/Pages.h"
#include "run/Files.h"
#include "run/Folders.h"
#include "run/Naming.h"
#include "run/Step.h"
#include "run/ThumbnailStore.h"

namespace pixolane {

using imaging::Picture;
using imaging::PixelSize;

namespace {

// Per-entry outcome of a pass, filled by the workers (one slot per entry, so
// no locking is needed) and read in list order afterwards.
struct Outcomes {
  explicit Outcomes(qsizetype n)
      : errors(n),
        thumbnailWritten(n, 0),
        pictureWritten(n, 0),
        keptThumbnails(n),
        unreadable(n, 0) {}
  std::vector<QString> errors;
  std::vector<char> thumbnailWritten;
  std::vector<char> pictureWritten;
  ThumbnailStore keptThumbnails;  // drawn during step 1, when that pays
  std::vector<char> unreadable;   // step 1 could not decode the source

  void fail(int index, const QString& source) {
    if (errors[index].isEmpty())
      errors[index] = errorEntry(source);
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

// Draws a thumbnail of the source and writes it; false when either failed.
bool makeThumbnail(const QString& source, const QString& destination, const GalleryJob& job,
                   WorkerState& state) {
  const Picture picture = Picture::LoadPicture(source);
  if (!picture.ok())
    return false;
  if (!imaging::PaintPicture(picture, thumbnailSize(picture, job), state.scratch))
    return false;
  return imaging::DIWriteJpg(state.scratch, destination, 100, job.Progressif) == 1;
}

StepSettings step(const ProcessingRun& run, const QString& status, bool second) {
  return StepSettings{status, second, run.options().workers, run.options().sep};
}

void collectErrors(const Outcomes& outcomes, RunReport& report) {
  for (const QString& e : outcomes.errors)
    if (!e.isEmpty())
      report.errors << e;
  for (size_t i = 0; i < outcomes.pictureWritten.size(); ++i) {
    report.picturesWritten += outcomes.pictureWritten[i];
    report.thumbnailsWritten += outcomes.thumbnailWritten[i];
  }
}

// The laid-out cells: every entry whose thumbnail was written, measured from
// the written file's header.
std::vector<pages::Cell> measureCells(const QStringList& list, const Outcomes& outcomes,
                                      const std::function<QString(const QString&)>& thumbOf,
                                      QChar sep) {
  std::vector<pages::Cell> cells;
  for (int i = 0; i < list.size(); ++i) {
    if (!outcomes.thumbnailWritten[i])
      continue;
    CImageInfo info;
    if (info.ReadImageInfo(thumbOf(list.at(i))) != CImageInfo::Status::Ok ||
        info.ImageType() == CImageInfo::Unknown)
      continue;
    cells.push_back({NomPic(list.at(i), sep), info.Width(), info.Height()});
  }
  return cells;
}

void Generation_Html(ProcessingRun& run, const OutputLayout& layout, const Outcomes& outcomes,
                     RunReport& report) {
  const GalleryJob& job = run.job();
  run.view().setStatus(QStringLiteral("Génération du fichier php..."));
  pages::GalleryPageData data;
  data.pageName = job.Text4;
  data.sitePath = job.Text6;
  data.Check5 = job.Check5;
  data.Check6 = job.Check6;
  data.bordure = job.Bordure;
  data.perRow = job.CompteurColonnes;
  data.cells = measureCells(
      job.List1, outcomes, [&](const QString& s) { return layout.thumbnailOf(s); }, layout.sep);
  QString error;
  if (writeFileAtomically(layout.page, pages::galleryPage(data), &error))
    report.pagePath = layout.page;
  else
    report.errors << error;
}

bool stopForFolders(const FolderOutcome& outcome, RunView& view, RunReport& report) {
  if (outcome.ok)
    return false;
  report.stopped = true;
  report.stopMessage = outcome.message;
  view.showError(outcome.message);
  return true;
}

// Step 2 of both passes: a thumbnail per entry, from the picture drawn in
// step 1 when there is one, from the source otherwise.
bool thumbnailStep(ProcessingRun& run, const OutputLayout& layout, const QString& status,
                   Outcomes& outcomes) {
  const GalleryJob& job = run.job();
  return runStep(job.List1, step(run, status, true), run.view(), [&](int i, WorkerState& state) {
    const QString source = job.List1.at(i);
    const QString destination = layout.thumbnailOf(source);
    bool written;
    const QByteArray kept = outcomes.keptThumbnails.take(i);
    if (!kept.isEmpty())
      written = writeFileAtomically(destination, kept);
    else
      written = !outcomes.unreadable[i] && makeThumbnail(source, destination, job, state);
    outcomes.thumbnailWritten[i] = written;
    if (!written)
      outcomes.fail(i, source);
  });
}

RunReport finishPass(ProcessingRun& run, const OutputLayout& layout, Outcomes& outcomes,
                     bool completed) {
  RunReport report;
  collectErrors(outcomes, report);
  report.cancelled = !completed;
  if (completed)
    Generation_Html(run, layout, outcomes, report);
  return report;
}

using FirstStep = std::function<void(int index, WorkerState&, const OutputLayout&, Outcomes&)>;

// Both passes: prepare the folders, step 1 (`first` per picture), step 2
// (thumbnails), then the page.
RunReport outputPass(ProcessingRun& run, const QString& firstStatus, const QString& thumbnailStatus,
                     const FirstStep& first) {
  const GalleryJob& job = run.job();
  const OutputLayout layout = outputLayout(job.Text3, job.Text4, run.options().sep);
  RunReport stopped;
  if (stopForFolders(Verif_Existance(layout, job.Text4, run.view()), run.view(), stopped))
    return stopped;

  Outcomes outcomes(job.List1.size());
  const bool completed =
      runStep(job.List1, step(run, firstStatus, false), run.view(),
              [&](int i, WorkerState& state) { first(i, state, layout, outcomes); }) &&
      thumbnailStep(run, layout, thumbnailStatus, outcomes);
  return finishPass(run, layout, outcomes, completed);
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
        // One decode serves both the full-size picture and its thumbnail, as
        // long as the thumbnails kept for step 2 stay within their budget.
        const QString source = job.List1.at(i);
        const Picture picture = Picture::LoadPicture(source);
        imaging::Scratch thumbnail;
        const bool paintBoth = i < keptThumbnails;
        const bool painted =
            picture.ok() &&
            (paintBoth ? imaging::PaintPictureTwice(picture, fullSize(picture, job), state.scratch,
                                                    thumbnailSize(picture, job), thumbnail)
                       : imaging::PaintPicture(picture, fullSize(picture, job), state.scratch));
        if (!painted) {
          outcomes.unreadable[i] = 1;
          outcomes.fail(i, source);
          return;
        }
        if (paintBoth)
          outcomes.keptThumbnails.put(i, imaging::encodeJpeg(thumbnail, 100, job.Progressif));
        const int written =
            imaging::DIWriteJpg(state.scratch, layout.photoOf(source), job.Qualite, job.Progressif);
        outcomes.pictureWritten[i] = written == 1;
        if (written != 1)
          outcomes.fail(i, source);
      });
}

RunReport Traitement_Copie(ProcessingRun& run) {
  const GalleryJob& job = run.job();
  return outputPass(run, QStringLiteral("Copie des Images Etape 1/2"),
                    QStringLiteral("Génération des miniatures Etape 2/2"),
                    [&](int i, WorkerState&, const OutputLayout& layout, Outcomes& outcomes) {
                      const QString source = job.List1.at(i);
                      outcomes.pictureWritten[i] =
                          copyFileAtomically(source, layout.photoOf(source));
                      if (!outcomes.pictureWritten[i])
                        outcomes.fail(i, source);
                    });
}

RunReport Apercu(ProcessingRun& run) {
  const GalleryJob& job = run.job();
  const QChar sep = run.options().sep;
  QString folder = run.options().previewFolder;
  if (folder.isEmpty())
    folder = platform::previewFolder();
  folder = withFinalSeparator(folder, sep);
  RunReport report;
  if (stopForFolders(preparePreviewFolder(folder), run.view(), report))
    return report;

  Outcomes outcomes(job.List1.size());
  const auto thumbOf = [&](const QString& source) { return folder + NomPic(source, sep); };
  const bool completed =
      runStep(job.List1, step(run, QStringLiteral("Génération des miniatures (Aperçu)"), true),
              run.view(), [&](int i, WorkerState& state) {
                const QString source = job.List1.at(i);
                outcomes.thumbnailWritten[i] = makeThumbnail(source, thumbOf(source), job, state);
                outcomes.pictureWritten[i] = outcomes.thumbnailWritten[i];
                if (!outcomes.thumbnailWritten[i])
                  outcomes.fail(i, source);
              });
  collectErrors(outcomes, report);
  if (!completed) {
    report.cancelled = true;
    return report;
  }
  run.view().setStatus(QStringLiteral("Génération du fichier Html..."));
  pages::PreviewPageData data;
  data.title = job.Text5;
  data.Check5 = job.Check5;
  data.bordure = job.Bordure;
  data.perRow = job.CompteurColonnes;
  data.cells = measureCells(job.List1, outcomes, thumbOf, sep);
  const QString page = folder + QStringLiteral("temp.html");
  QString error;
  if (!writeFileAtomically(page, pages::previewPage(data), &error)) {
    report.errors << error;
    return report;
  }
  report.pagePath = page;
  run.view().navigate(page);
  return report;
}

}  // namespace pixolane
