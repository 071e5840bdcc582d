#include "run/Rerun.h"

#include <QFile>
#include <QHash>
#include <QSet>

#include "imaging/EngineVersion.h"
#include "imaging/StripPrivate.h"
#include "platform/Platform.h"
#include "run/Folders.h"
#include "run/Passes.h"

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

// The output's recorded twin for a renamed source: the same source identity
// and settings, in the same folder, still on disk as recorded.
struct Twins {
  QHash<QString, const RecordEntry*> byKey;
  static QString key(const QString& folder, const FileIdentity& id, const QString& settings) {
    return folder + u'\t' + QString::number(id.device) + u':' + QString::number(id.inode) + u':' +
           QString::number(id.size) + u':' + QString::number(id.mtimeNs) + u'\t' + settings;
  }
};

QString folderOf(const QString& output) {
  return output.section(u'/', 0, -2);
}

bool recognisable(const FileIdentity& id) {
  // Without an inode (file systems that give none) identity says nothing.
  return id.exists() && id.inode != 0;
}

bool sameBytes(const QString& a, const QString& b) {
  QFile fa(a), fb(b);
  if (!fa.open(QIODevice::ReadOnly) || !fb.open(QIODevice::ReadOnly) || fa.size() != fb.size())
    return false;
  constexpr qint64 kChunk = 1 << 20;
  while (!fa.atEnd()) {
    const QByteArray chunk = fa.read(kChunk);
    if (chunk.isEmpty() || chunk != fb.read(kChunk))
      return false;
  }
  return true;
}

// A source listed under another identity (a copy, a restored backup) whose
// recorded source is still there as it was and holds the same bytes: the
// contents are compared only then, where it saves a drawing.
bool sameContent(const RecordEntry& recorded, const QString& sourcePath, const FileIdentity& source,
                 QHash<QString, bool>& compared) {
  if (!source.exists() || source.size != recorded.sourceId.size || recorded.source.isEmpty() ||
      fileIdentity(recorded.source) != recorded.sourceId)
    return false;
  const auto known = compared.constFind(recorded.source);
  if (known != compared.constEnd())
    return *known;
  return compared[recorded.source] = sameBytes(sourcePath, recorded.source);
}

OutputPlan planOutput(const GalleryRecord& record, const Twins& twins, const QString& destination,
                      const QString& path, QChar sep, const QString& sourcePath,
                      const FileIdentity& source, const QString& settings,
                      QHash<QString, bool>& compared) {
  const QString name = recordName(destination, path, sep);
  if (const RecordEntry* recorded = record.find(name)) {
    const FileIdentity output = fileIdentity(path);
    if (outputUnchanged(*recorded, output, source, settings))
      return {true, {}};
    if (outputUnchanged(*recorded, output, recorded->sourceId, settings) &&
        sameContent(*recorded, sourcePath, source, compared))
      return {true, {}};
  }
  // Twins are only files this run does not write, so a copy never reads a
  // file another worker is replacing.
  if (!recognisable(source))
    return {};
  const RecordEntry* twin = twins.byKey.value(Twins::key(folderOf(name), source, settings));
  if (!twin)
    return {};
  const QString from = recordPath(destination, twin->output, sep);
  if (!GalleryRecord::stillOnDisk(*twin, from))
    return {};
  return {true, from};
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

bool outputUnchanged(const RecordEntry& recorded, const FileIdentity& output,
                     const FileIdentity& source, const QString& settings) {
  return GalleryRecord::stillOnDisk(recorded, output) && source.exists() &&
         source == recorded.sourceId && settings == recorded.settings;
}

QString drawnAndUnchanged(int drawn, int unchanged) {
  return QStringLiteral("%1 %2, %3 %4")
      .arg(drawn)
      .arg(drawn > 1 ? QStringLiteral("images dessinées") : QStringLiteral("image dessinée"))
      .arg(unchanged)
      .arg(unchanged > 1 ? QStringLiteral("inchangées") : QStringLiteral("inchangée"));
}

int RerunPlan::unchanged() const {
  int n = 0;
  for (const EntryPlan& entry : entries)
    n += entry.unchanged();
  return n;
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

RerunPlan planRerun(const GalleryJob& job, const OutputLayout& layout, const QString& destination,
                    const GalleryRecord& record, bool force) {
  RerunPlan plan;
  // As the resize pass decides it: by list position.
  const int together = job::isSet(job.Check3) ? thumbnailsKept(job) : 0;
  const QChar sep = layout.sep;
  const QStringList& list = job.List1;
  plan.entries.resize(size_t(list.size()));

  // Output names this run makes, and how often (case folded: a folding file
  // system makes one file of two names).
  QHash<QString, int> names;
  QSet<QString> produced;
  for (const QString& source : list) {
    ++names[NomPic(source, sep).toCaseFolded()];
    produced << recordName(destination, layout.photoOf(source), sep)
             << recordName(destination, layout.thumbnailOf(source), sep);
  }
  const QString pictures = recordName(destination, layout.photosFolder, sep);
  const QString thumbnails = recordName(destination, layout.thumbnailsFolder, sep);
  Twins twins;
  for (const RecordEntry& entry : record.entries()) {
    const QString folder = folderOf(entry.output);
    if (folder != pictures && folder != thumbnails)
      continue;
    if (produced.contains(entry.output))
      continue;
    twins.byKey.insert(Twins::key(folder, entry.sourceId, entry.settings), &entry);
    const QString path = recordPath(destination, entry.output, sep);
    if (GalleryRecord::stillOnDisk(entry, path))
      plan.orphans << path;
  }

  for (qsizetype i = 0; i < list.size(); ++i) {
    EntryPlan& entry = plan.entries[size_t(i)];
    const QString& source = list.at(i);
    entry.pictureSettings = pictureSettings(job, i < together);
    entry.thumbnailSettings = thumbnailSettings(job, i < together);
    entry.sourcePath = source;
    entry.source = fileIdentity(source);
    if (force || names.value(NomPic(source, sep).toCaseFolded()) > 1)
      continue;
    QHash<QString, bool> compared;
    entry.picture = planOutput(record, twins, destination, layout.photoOf(source), sep, source,
                               entry.source, entry.pictureSettings, compared);
    entry.thumbnail = planOutput(record, twins, destination, layout.thumbnailOf(source), sep,
                                 source, entry.source, entry.thumbnailSettings, compared);
  }
  return plan;
}

DryRun dryRun(const GalleryJob& job, QChar sep, bool force, bool replace, bool prune) {
  const OutputLayout layout = outputLayout(job.Text3, job.Text4, sep);
  const QString destination = platform::withFinalSeparator(job.Text3, sep);
  const GalleryRecord record = GalleryRecord::load(GalleryRecord::pathFor(destination, job.Text4));
  const RerunPlan plan = planRerun(job, layout, destination, record, force);
  DryRun result;
  QSet<QString> kept;
  for (qsizetype i = 0; i < job.List1.size(); ++i) {
    const QString& source = job.List1.at(i);
    (plan.entries[size_t(i)].unchanged() ? result.unchanged : result.toDraw) << source;
    kept << layout.photoOf(source) << layout.thumbnailOf(source);
  }
  if (replace) {
    for (const QString& folder : {layout.photosFolder, layout.thumbnailsFolder}) {
      for (const QString& file : ordinaryFiles(folder)) {
        if (!kept.contains(file))
          result.toDelete << file;
      }
    }
  } else if (prune) {
    result.toDelete = plan.orphans;
  }
  return result;
}

}  // namespace pixolane::run
