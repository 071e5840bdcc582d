#include "run/WebThumbnails.h"

#include "imaging/EngineVersion.h"
#include "imaging/WebThumbnail.h"
#include "run/Plan.h"

namespace pixolane::run {

using job::GalleryJob;

QString webThumbnailName(const QString& fileName) {
  return fileName + QStringLiteral("@2x.jpg");
}

QString webThumbnailSettings(const GalleryJob& job) {
  return QStringLiteral("miniature double %1x%2 qualité %3 progressif moteur %4")
      .arg(job.LargeurMini)
      .arg(job.HauteurMini)
      .arg(imaging::kWebThumbnailQuality)
      .arg(imaging::kEngineVersion);
}

WebThumbnails planWebThumbnails(const GalleryJob& job, const GalleryPlan& plan) {
  const auto n = size_t(job.List1.size());
  WebThumbnails web;
  web.active = job::isOne(job.Check7);
  web.paths.resize(n);
  web.reused.assign(n, 0);
  web.written.assign(n, 0);
  web.captions.resize(n);
  web.sources.resize(n);
  web.settings = webThumbnailSettings(job);
  for (size_t i = 0; i < n; ++i) {
    const OutputPlan& out = plan.entries[i].output(OutputKind::WebThumbnail);
    if (out.wanted)
      web.paths[i] = out.path;
    web.sources[i] = plan.entries[i].source;
  }
  return web;
}

StepEnd webThumbnailStep(const GalleryJob& job, const StepSettings& settings, RunView& view,
                         WebThumbnails& web, const std::function<bool(int)>& hasThumbnail,
                         const std::function<void(int, const QString&)>& failed) {
  return runStep(
      job.List1, settings, view,
      [&](int i, WorkerState& state) {
        if (!hasThumbnail(i))
          return;
        const QString& source = job.List1.at(i);
        web.captions[size_t(i)] = imaging::readCaption(imaging::readMetadataHead(source));
        const QString& path = web.paths[size_t(i)];
        if (path.isEmpty() || web.reused[size_t(i)])
          return;
        QString reason;
        const imaging::Picture picture = imaging::Picture::LoadPicture(source);
        web.written[size_t(i)] =
            picture.ok() ? imaging::writeWebThumbnail(picture, job.LargeurMini, job.HauteurMini,
                                                      state.scratch, path, &reason)
                         : (reason = picture.error(), false);
        if (!web.written[size_t(i)])
          failed(i, reason);
      },
      failed);
}

}  // namespace pixolane::run
