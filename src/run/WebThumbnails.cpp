#include "run/WebThumbnails.h"

#include <QHash>

#include <algorithm>

#include "imaging/EngineVersion.h"
#include "imaging/WebThumbnail.h"

namespace pixolane::run {

using job::GalleryJob;

QString webThumbnailName(const QString& fileName) {
  return fileName + QStringLiteral("@2x.jpg");
}

WebThumbnails planWebThumbnails(const GalleryJob& job, const OutputLayout& layout,
                                const QString& destination, const GalleryRecord& record, bool force,
                                RerunPlan& plan) {
  const QChar sep = layout.sep;
  const QStringList& list = job.List1;
  const auto n = size_t(list.size());
  WebThumbnails web;
  web.active = job::isOne(job.Check7);
  web.paths.resize(n);
  web.reused.assign(n, 0);
  web.written.assign(n, 0);
  web.captions.resize(n);
  web.sources.resize(n);
  web.settings = QStringLiteral("miniature double %1x%2 qualité %3 progressif moteur %4")
                     .arg(job.LargeurMini)
                     .arg(job.HauteurMini)
                     .arg(imaging::kWebThumbnailQuality)
                     .arg(imaging::kEngineVersion);
  // Case folded, as a folding file system sees names.
  QHash<QString, int> names;
  for (const QString& source : list)
    ++names[NomPic(source, sep).toCaseFolded()];
  QSet<QString> ours;
  for (size_t i = 0; i < n; ++i) {
    const QString name = webThumbnailName(NomPic(list.at(qsizetype(i)), sep));
    if (names.contains(name.toCaseFolded()))
      continue;  // a listed picture's own name: its thumbnail wins
    web.paths[i] = layout.thumbnailsFolder + sep + name;
    ours << web.paths[i];
    web.sources[i] = plan.entries[i].source;
    const RecordEntry* recorded = record.find(recordName(destination, web.paths[i], sep));
    // Names that collide are always drawn, so the later picture wins.
    web.reused[i] =
        !force && recorded && names.value(NomPic(list.at(qsizetype(i)), sep).toCaseFolded()) == 1 &&
        outputUnchanged(*recorded, fileIdentity(web.paths[i]), web.sources[i], web.settings);
  }
  plan.orphans.erase(std::remove_if(plan.orphans.begin(), plan.orphans.end(),
                                    [&](const QString& path) { return ours.contains(path); }),
                     plan.orphans.end());
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

void linkWebThumbnails(const WebThumbnails& web, QSet<QString>& linked) {
  for (const QString& path : web.paths) {
    if (!path.isEmpty())
      linked << path.toCaseFolded();
  }
}

void recordWebThumbnails(const WebThumbnails& web, const GalleryJob& job,
                         const QString& destination, QChar sep, GalleryRecord& record) {
  for (size_t i = 0; i < web.paths.size(); ++i) {
    if (!web.written[i] && !web.reused[i])
      continue;
    RecordEntry entry =
        GalleryRecord::entryFor(recordName(destination, web.paths[i], sep), web.paths[i]);
    entry.source = job.List1.at(qsizetype(i));
    entry.sourceId = web.sources[i];
    entry.settings = web.settings;
    record.put(std::move(entry));
  }
}

}  // namespace pixolane::run
