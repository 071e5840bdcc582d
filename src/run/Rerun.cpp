#include "run/Rerun.h"

#include "imaging/EngineVersion.h"
#include "imaging/StripPrivate.h"

namespace pixolane::run {

using job::GalleryJob;
using job::isOne;

namespace {

QString engine() {
  return QStringLiteral("moteur %1").arg(imaging::kEngineVersion);
}

QString progressive(const GalleryJob& job) {
  // The encoder is progressive only when the flag is exactly 1.
  return job.Progressif == 1 ? QStringLiteral("progressif") : QStringLiteral("standard");
}

QString geometry(const GalleryJob& job) {
  return QStringLiteral("%1x%2 %3")
      .arg(job.LargeurCible)
      .arg(job.HauteurCible)
      .arg(isOne(job.Check2) ? QStringLiteral("proportions") : QStringLiteral("étirée"));
}

QString box(const GalleryJob& job) {
  return QStringLiteral("%1x%2").arg(job.LargeurMini).arg(job.HauteurMini);
}

}  // namespace

QString pictureSettings(const GalleryJob& job, bool drawnTogether) {
  // A copy kept from a run that did not strip it would publish what this run
  // was asked to remove.
  if (!job::isSet(job.Check3))
    return job.stripPrivate
               ? QStringLiteral("copie sans données privées %1").arg(imaging::kStripVersion)
               : QStringLiteral("copie");
  const bool boxFits = job.LargeurMini <= job.LargeurCible && job.HauteurMini <= job.HauteurCible;
  return QStringLiteral("image %1 qualité %2 %3 %4%5")
      .arg(geometry(job))
      .arg(job.Qualite)
      .arg(progressive(job), engine(),
           drawnTogether && !boxFits ? QStringLiteral(" avec miniature ") + box(job) : QString());
}

QString thumbnailSettings(const GalleryJob& job, bool drawnTogether) {
  return QStringLiteral("miniature %1 %2 %3 %4")
      .arg(box(job), progressive(job), engine(),
           drawnTogether ? QStringLiteral("avec image ") + geometry(job) : QStringLiteral("seule"));
}

QString drawnAndUnchanged(int drawn, int unchanged) {
  return QStringLiteral("%1 %2, %3 %4")
      .arg(drawn)
      .arg(drawn > 1 ? QStringLiteral("images dessinées") : QStringLiteral("image dessinée"))
      .arg(unchanged)
      .arg(unchanged > 1 ? QStringLiteral("inchangées") : QStringLiteral("inchangée"));
}

QString recordName(const QString& destination, const QString& path, QChar sep) {
  QString name = path.mid(destination.size());
  if (sep != u'/')
    name.replace(sep, u'/');
  return name;
}

QString recordPath(const QString& destination, const QString& name, QChar sep) {
  QString path = destination + name;
  if (sep != u'/')
    path.replace(u'/', sep);
  return path;
}

}  // namespace pixolane::run
