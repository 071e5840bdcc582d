#include "run/Plan.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>

#include "platform/Files.h"
#include "platform/PictureListing.h"
#include "platform/Platform.h"
#include "run/Passes.h"
#include "run/Rerun.h"
#include "run/Standalone.h"
#include "run/WebThumbnails.h"

namespace pixolane::run {

using job::GalleryJob;
using job::isOne;

namespace {

QString folderOf(const QString& output) {
  return output.section(u'/', 0, -2);
}

bool recognisable(const FileIdentity& id) {
  // Without an inode (file systems that give none) identity says nothing.
  return id.exists() && id.inode != 0;
}

// Renamed sources: an earlier output of the same source identity (device,
// inode, size, time) and settings, in the same folder.
QString twinKey(const QString& folder, const FileIdentity& id, const QString& settings) {
  return folder + u'\t' + QString::number(id.device) + u':' + QString::number(id.inode) + u':' +
         QString::number(id.size) + u':' + QString::number(id.mtimeNs) + u'\t' + settings;
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

// The source is the recorded one by rsync's quick check: the same file name
// (the part of its path below the folder it was listed from), size and
// modification time. Device and inode are left out: a card plugged in again
// or a share mounted again gets another device number.
bool sameSource(const RecordEntry& recorded, const QString& sourcePath, const FileIdentity& source,
                QChar sep) {
  return source.exists() && source.size == recorded.sourceId.size &&
         source.mtimeNs == recorded.sourceId.mtimeNs &&
         NomPic(recorded.source, sep) == NomPic(sourcePath, sep);
}

// A source listed under another name whose recorded source is still there as
// it was and holds the same bytes (a copy, a restored backup): the contents
// are compared only then, where it saves a drawing.
bool sameContent(const RecordEntry& recorded, const QString& sourcePath, const FileIdentity& source,
                 QHash<QString, bool>& compared) {
  if (!source.exists() || source.size != recorded.sourceId.size || recorded.source.isEmpty())
    return false;
  const FileIdentity there = fileIdentity(recorded.source);
  if (there.size != recorded.sourceId.size || there.mtimeNs != recorded.sourceId.mtimeNs)
    return false;
  const auto known = compared.constFind(recorded.source);
  if (known != compared.constEnd())
    return *known;
  return compared[recorded.source] = sameBytes(sourcePath, recorded.source);
}

struct Planner {
  const GalleryJob& job;
  const RunOptions& options;
  GalleryPlan& plan;
  QHash<QString, const RecordEntry*> recorded;  // by the disk's key of its output
  QHash<QString, const RecordEntry*> twins;
  QHash<QString, bool> compared;

  QString nameOf(const QString& path) const {
    return recordName(plan.destination, path, options.sep);
  }
  QString keyOf(const QString& path) const { return plan.names.key(nameOf(path)); }

  void planOutput(const EntryPlan& entry, OutputPlan& out) {
    const RecordEntry* was = recorded.value(keyOf(out.path));
    if (!was) {
      out.reason = QStringLiteral("nouvelle");
    } else {
      const FileIdentity output = fileIdentity(out.path);
      if (!GalleryRecord::stillOnDisk(*was, output)) {
        out.reason = QStringLiteral("fichier publié absent ou modifié");
      } else if (was->settings != out.settings) {
        out.reason = QStringLiteral("réglages changés");
      } else if (sameSource(*was, entry.sourcePath, entry.source, options.sep) ||
                 sameContent(*was, entry.sourcePath, entry.source, compared)) {
        out.action = Action::Keep;
        out.reason = QStringLiteral("inchangée");
        return;
      } else {
        out.reason = QStringLiteral("photo modifiée");
      }
    }
    // Twins are only files this run does not write, so a copy never reads a
    // file another worker is replacing.
    if (!recognisable(entry.source))
      return;
    const RecordEntry* twin =
        twins.value(twinKey(folderOf(keyOf(out.path)), entry.source, out.settings));
    if (!twin)
      return;
    const QString from = recordPath(plan.destination, twin->output, options.sep);
    if (!GalleryRecord::stillOnDisk(*twin, from))
      return;
    out.action = Action::Copy;
    out.copyFrom = from;
    out.reason = QStringLiteral("photo renommée");
  }
};

// The page is the program's when the record says so: the very bytes it
// wrote. Only without a record of it (a page of an earlier version) does the
// page's own mark count.
bool pageIsOurs(const QString& page, const RecordEntry* recorded,
                const std::function<bool(const QString&)>& earlierMark) {
  const QFileInfo info(page);
  if (info.isSymLink() || !info.isFile())
    return false;
  if (!recorded)
    return earlierMark(page);
  if (!GalleryRecord::stillOnDisk(*recorded, page))
    return false;
  if (recorded->settings.isEmpty())
    return true;  // recorded before pages carried their content key
  QByteArray bytes;
  return platform::readOwnFile(page, &bytes) == platform::OwnFile::Read &&
         pageContentKey(bytes) == recorded->settings;
}

// A record found in the destination, where earlier versions kept it (and
// their lock file): taken over into the data folder once, then removed there.
void takeOverLegacyRecord(GalleryPlan& plan, const QString& pageName, bool move) {
  const QString legacy = GalleryRecord::legacyPathFor(plan.destination, pageName);
  QByteArray bytes;
  if (platform::readOwnFile(legacy, &bytes) != platform::OwnFile::Read)
    return;  // missing, or not a file of ours: left alone
  if (plan.record.isEmpty())
    plan.record = GalleryRecord::parse(bytes);
  if (!move)
    return;
  if (!QFileInfo::exists(plan.recordFile) && !plan.record.save(plan.recordFile))
    return;  // kept where it is until it can be moved
  QFile::remove(legacy);
  const QFileInfo lock(legacy + QStringLiteral("-verrou"));
  if (lock.isFile() && !lock.isSymLink() && lock.size() == 0)
    QFile::remove(lock.filePath());
}

// The nearest folder that exists: where the disk's rules can be asked.
QString existingFolder(QString folder) {
  while (!folder.isEmpty() && !QFileInfo(folder).isDir()) {
    const QString parent = QFileInfo(folder).path();
    if (parent == folder)
      break;
    folder = parent;
  }
  return folder;
}

FolderOutcome stopWith(const QString& message) {
  return {false, message};
}

}  // namespace

bool EntryPlan::unchanged() const {
  if (!givenUp.isEmpty())
    return false;
  for (const OutputPlan& out : outputs) {
    if (out.wanted && !out.reused())
      return false;
  }
  return true;
}

int GalleryPlan::unchanged() const {
  int n = 0;
  for (const EntryPlan& entry : entries)
    n += entry.unchanged();
  return n;
}

QString outputPathOf(const OutputLayout& layout, OutputKind kind, const QString& source) {
  switch (kind) {
    case OutputKind::Picture:
      return layout.photoOf(source);
    case OutputKind::Thumbnail:
      return layout.thumbnailOf(source);
    case OutputKind::WebThumbnail:
      return layout.thumbnailsFolder + layout.sep + webThumbnailName(NomPic(source, layout.sep));
  }
  return {};
}

QString settingsOf(const GalleryJob& job, OutputKind kind, bool drawnTogether) {
  switch (kind) {
    case OutputKind::Picture:
      return pictureSettings(job, drawnTogether);
    case OutputKind::Thumbnail:
      return thumbnailSettings(job, drawnTogether);
    case OutputKind::WebThumbnail:
      return webThumbnailSettings(job);
  }
  return {};
}

QString pageContentKey(const QByteArray& bytes) {
  return QStringLiteral("sha256 ") +
         QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex());
}

GalleryPlan planGallery(const GalleryJob& job, const RunOptions& options, RunView& view,
                        PlanMode mode) {
  const bool running = mode == PlanMode::Run;
  const QChar sep = options.sep;
  GalleryPlan plan;
  plan.layout = outputLayout(job.Text3, job.Text4, sep);
  plan.destination = platform::withFinalSeparator(job.Text3, sep);
  const OutputLayout& layout = plan.layout;

  // Sources first: nothing may be created, asked or deleted while one of them
  // lies where the run writes.
  QStringList pages{layout.page};
  if (isOne(job.Check7))
    pages << layout.document;
  plan.stop = checkSourcesOutside(job.List1, {layout.photosFolder, layout.thumbnailsFolder}, pages);
  if (!plan.stop.ok)
    return plan;
  if (running) {
    QString message;
    plan.lock = GalleryLock::take(plan.destination, job.Text4, &message);
    if (!plan.lock.held()) {
      plan.stop = stopWith(message);
      return plan;
    }
  }
  plan.stop = checkNotLinked({layout.photosFolder, layout.thumbnailsFolder});
  if (!plan.stop.ok)
    return plan;

  // The record, read once (after the lock: the destination exists now, and
  // its data folder is named after its real path).
  plan.recordFile = GalleryRecord::pathFor(plan.destination, job.Text4);
  QString recordError;
  plan.record = GalleryRecord::load(plan.recordFile, &recordError);
  if (!recordError.isEmpty()) {
    plan.stop = stopWith(recordError + QStringLiteral(" (suivi de la galerie) : rien n'a été "
                                                      "touché. Supprimez ce fichier."));
    return plan;
  }
  takeOverLegacyRecord(plan, job.Text4, running);
  plan.names.foldsCase = platform::foldsCase(existingFolder(plan.destination));

  // The pages: the user's are replaced only after a Oui.
  const auto recordedPage = [&](const QString& page) {
    return plan.record.find(recordName(plan.destination, page, sep));
  };
  if (!pageIsOurs(layout.page, recordedPage(layout.page), carriesFooter)) {
    plan.stop = confirmPageReplacement(layout.page, NomPic(layout.page, sep), view);
    if (!plan.stop.ok)
      return plan;
  }
  if (isOne(job.Check7) &&
      !pageIsOurs(layout.document, recordedPage(layout.document), carriesStandaloneMarker)) {
    plan.stop = confirmPageReplacement(layout.document, NomPic(layout.document, sep), view);
    if (!plan.stop.ok)
      return plan;
  }
  // What a run that was cut short (a crash, a power cut) left half-written.
  if (running) {
    for (const QString& folder : {plan.destination, layout.photosFolder, layout.thumbnailsFolder})
      platform::discardLeftovers(folder);
  }
  FolderOutcome folders = Verif_Existance(layout, job.Text4, view, running);
  if (!folders.ok) {
    plan.stop = folders;
    return plan;
  }

  // Per picture and output.
  Planner planner{job, options, plan, {}, {}, {}};
  const QStringList& list = job.List1;
  QHash<QString, int> lastWithKey;  // the disk's key of a file name -> last entry
  QHash<QString, int> uses;         // how many entries make that file
  for (int i = 0; i < list.size(); ++i) {
    const QString key = plan.names.key(NomPic(list.at(i), sep));
    lastWithKey[key] = i;
    ++uses[key];
  }
  // A high-density thumbnail whose name would be a listed picture's own is
  // not made: that picture's thumbnail wins.
  const auto pathOf = [&](OutputKind kind, const QString& source) {
    const QString path = outputPathOf(layout, kind, source);
    if (kind == OutputKind::WebThumbnail && lastWithKey.contains(plan.names.key(NomPic(path, sep))))
      return QString();
    return path;
  };
  QSet<QString> produced;  // disk keys of what the new page links
  for (int i = 0; i < list.size(); ++i) {
    const QString& source = list.at(i);
    if (platform::unrepresentableName(source))
      continue;
    const int last = lastWithKey.value(plan.names.key(NomPic(source, sep)));
    if (NomPic(list.at(last), sep) != NomPic(source, sep))
      continue;  // given up for a later entry below
    for (const OutputKind kind : kOutputKindsAll) {
      if (const QString path = pathOf(kind, source); !path.isEmpty())
        produced << planner.keyOf(path);
    }
  }
  for (const RecordEntry& entry : plan.record.entries())
    planner.recorded.insert(plan.names.key(entry.output), &entry);
  const QString pictures = planner.keyOf(layout.photosFolder);
  const QString thumbnails = planner.keyOf(layout.thumbnailsFolder);
  QList<const RecordEntry*> orphans;
  for (const RecordEntry& entry : plan.record.entries()) {
    const QString key = plan.names.key(entry.output);
    const QString folder = folderOf(key);
    if ((folder != pictures && folder != thumbnails) || produced.contains(key))
      continue;
    planner.twins.insert(twinKey(folder, entry.sourceId, entry.settings), &entry);
    orphans << &entry;
  }

  const int together = job::isSet(job.Check3) ? thumbnailsKept(job) : 0;
  plan.entries.resize(size_t(list.size()));
  for (int i = 0; i < list.size(); ++i) {
    EntryPlan& entry = plan.entries[size_t(i)];
    const QString& source = list.at(i);
    entry.sourcePath = source;
    entry.source = fileIdentity(source);
    for (const OutputKind kind : kOutputKindsAll) {
      OutputPlan& out = entry.output(kind);
      out.path = pathOf(kind, source);
      out.settings = settingsOf(job, kind, i < together);
      out.wanted = !out.path.isEmpty() && (kind != OutputKind::WebThumbnail || isOne(job.Check7));
    }
    const QString key = plan.names.key(NomPic(source, sep));
    const int last = lastWithKey.value(key);
    if (platform::unrepresentableName(source)) {
      entry.givenUp = QStringLiteral(
          "nom de fichier illisible (ses octets ne sont pas de l'UTF-8) : renommez le fichier");
    } else if (NomPic(list.at(last), sep) != NomPic(source, sep)) {
      entry.givenUp = QStringLiteral("même nom de fichier que « ") + list.at(last) +
                      QStringLiteral(
                          " » sur une destination qui ne distingue pas majuscules et "
                          "minuscules : seule cette dernière est publiée");
    } else if (options.force) {
      for (OutputPlan& out : entry.outputs)
        out.reason = QStringLiteral("--force");
    } else if (uses.value(key) > 1) {
      // Collisions are always drawn, so the later entry wins as in a fresh run.
      for (OutputPlan& out : entry.outputs)
        out.reason = QStringLiteral("nom partagé avec une autre photo");
    } else {
      for (OutputPlan& out : entry.outputs) {
        if (out.wanted)
          planner.planOutput(entry, out);
      }
    }
  }

  // What goes once the new page is in place: never a file it links.
  QSet<QString> planned;
  for (const GivenUp& file : folders.givenUp) {
    if (!produced.contains(planner.keyOf(file.path))) {
      plan.deletions.push_back({file.path, file.id, QStringLiteral("fichier existant (Oui)")});
      planned << planner.keyOf(file.path);
    }
  }
  if (options.prune) {
    for (const RecordEntry* entry : orphans) {
      const QString path = recordPath(plan.destination, entry->output, sep);
      const FileIdentity id = fileIdentity(path);
      if (!planned.contains(plan.names.key(entry->output)) &&
          GalleryRecord::stillOnDisk(*entry, id))
        plan.deletions.push_back(
            {path, id, QStringLiteral("écrit pour une photo qui n'est plus dans la liste")});
    }
  }
  return plan;
}

DryRun describe(const GalleryPlan& plan) {
  DryRun out;
  if (!plan.stop.ok) {
    out.stop = plan.stop.declined ? declinedMessage() : plan.stop.message;
    return out;
  }
  for (const EntryPlan& entry : plan.entries) {
    if (!entry.givenUp.isEmpty()) {
      out.givenUp << entry.sourcePath + QStringLiteral(" : ") + entry.givenUp;
      continue;
    }
    if (entry.unchanged()) {
      out.unchanged << entry.sourcePath;
      continue;
    }
    QStringList why;
    for (const OutputPlan& o : entry.outputs) {
      if (o.wanted && !o.reused() && !why.contains(o.reason))
        why << o.reason;
    }
    out.toDraw << entry.sourcePath + QStringLiteral(" (") + why.join(QStringLiteral(", ")) + ')';
  }
  for (const Deletion& d : plan.deletions)
    out.toDelete << d.path + QStringLiteral(" (") + d.reason + ')';
  return out;
}

}  // namespace pixolane::run
