#include "run/Folders.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "pages/Pages.h"

#include <algorithm>
#include <optional>
#include <utility>
#include <vector>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

namespace pixolane::run {

namespace {

const QString kTitle = QStringLiteral("Traitement");

QString creationFailed(const QString& folder) {
  return QStringLiteral("Impossible de créer le dossier ") + folder;
}

QString deletionFailed(const QString& file) {
  return QStringLiteral("Impossible d'effacer ") + file;
}

// Marks a preview folder named by the user as the program's own. Hidden, so
// it is never listed, counted or deleted with the previews' files.
const QString kPreviewMark = QStringLiteral(".pixolane-apercu");

QString shown(const QString& path) {
  return QDir::toNativeSeparators(path);
}

// The identity of an existing file or folder as the file system sees it.
#ifdef Q_OS_UNIX
using FileId = std::pair<dev_t, ino_t>;
std::optional<FileId> fileId(const QString& path) {
  struct stat st;
  if (path.isEmpty() || ::stat(QFile::encodeName(path).constData(), &st) != 0)
    return std::nullopt;
  return FileId{st.st_dev, st.st_ino};
}
#else
using FileId = QString;
std::optional<FileId> fileId(const QString& path) {
  const QString canonical = QFileInfo(path).canonicalFilePath();
  if (canonical.isEmpty())
    return std::nullopt;
  return canonical.toCaseFolded();
}
#endif

bool sameFile(const QString& a, const QString& b) {
  const auto idA = fileId(a);
  return idA && idA == fileId(b);
}

bool ensureFolder(const QString& folder) {
  // mkpath succeeds on an existing folder, so a folder that holds only
  // sub-folders or hidden files never stops the run.
  return QDir().mkpath(folder) && QFileInfo(folder).isDir();
}

}  // namespace

QStringList ordinaryFiles(const QString& folder) {
  QStringList files;
  const QDir dir(folder);
  if (!dir.exists())
    return files;
  for (const QFileInfo& info : dir.entryInfoList(QDir::Files | QDir::NoDotAndDotDot, QDir::Name))
    files << info.filePath();
  return files;
}

bool deleteOrdinaryFiles(const QString& folder, QString* failed) {
  for (const QString& file : ordinaryFiles(folder)) {
    if (!QFile::remove(file)) {
      if (failed)
        *failed = QDir::toNativeSeparators(file);
      return false;
    }
  }
  return true;
}

FolderOutcome Verif_Existance(const OutputLayout& layout, const QString& pageName, RunView& view,
                              bool create) {
  struct Folder {
    QString path;
    QString question;
  };
  const QString tail = QStringLiteral("' existe...\r\nVoulez vous éffacer les fichiers existant ?");
  const Folder folders[] = {
      {layout.thumbnailsFolder, QStringLiteral("Le dossier de miniatures 'mini") + pageName + tail},
      {layout.photosFolder, QStringLiteral("Le dossier des photos 'pic") + pageName + tail},
  };

  // Create what is missing before asking anything, so that a destination that
  // cannot hold the gallery stops the run before any question.
  QStringList files[2];
  bool created[2];
  for (int i = 0; i < 2; ++i) {
    files[i] = ordinaryFiles(folders[i].path);
    created[i] = !QFileInfo(folders[i].path).isDir();
    if (create && files[i].isEmpty() && !ensureFolder(folders[i].path))
      return {false, creationFailed(folders[i].path)};
  }
  FolderOutcome outcome;
  for (int i = 0; i < 2; ++i) {
    if (files[i].isEmpty())
      continue;
    const bool yes = view.ask(folders[i].question, kTitle);
    if (view.yieldCancelled()) {
      for (int j = 0; j < 2; ++j) {
        if (created[j])
          QDir().rmdir(folders[j].path);  // only ever removes an empty folder
      }
      return {false, {}, true};
    }
    if (!yes)
      continue;
    // Nothing goes yet: the earlier page keeps linking these until the new
    // one is in place.
    for (const QString& file : files[i])
      outcome.givenUp.push_back({file, fileIdentity(file)});
  }
  return outcome;
}

FolderOutcome checkNotLinked(const QStringList& folders) {
  for (const QString& folder : folders) {
    const QFileInfo info(folder);
    if (!info.isSymLink())
      continue;
    return {false, QStringLiteral("Le dossier ") + shown(folder) +
                       QStringLiteral(" est un lien vers ") + shown(info.symLinkTarget()) +
                       QStringLiteral(" : la galerie n'écrit pas à travers un lien, rien n'a été "
                                      "touché. Supprimez le lien ou choisissez un autre dossier "
                                      "de destination ou un autre nom de fichier html.")};
  }
  return {};
}

bool carriesFooter(const QString& page) {
  // Its accent written in Windows-1252 by older versions, as a reference now.
  const QByteArray footers[] = {pages::toAsciiText(pages::footerLine()) + "\r\n",
                                pages::footerLine().toLatin1() + "\r\n"};
  QFile file(page);
  const qint64 window = footers[0].size();
  if (!QFileInfo(page).isFile() || !file.open(QIODevice::ReadOnly) ||
      !file.seek(std::max<qint64>(0, file.size() - window)))
    return false;
  const QByteArray end = file.read(window);
  return end.endsWith(footers[0]) || end.endsWith(footers[1]);
}

FolderOutcome confirmPageReplacement(const QString& page, const QString& fileName, RunView& view) {
  const QFileInfo info(page);
  if (!info.exists() && !info.isSymLink())
    return {};
  const bool yes =
      view.ask(QStringLiteral("Le fichier ") + fileName +
                   QStringLiteral(" existe et n'a pas été créé par Pixolane. Le remplacer ?"),
               kTitle);
  if (view.yieldCancelled())
    return {false, {}, true};
  if (yes)
    return {};
  FolderOutcome outcome{false};
  outcome.declined = true;
  return outcome;
}

QString previewMark(const QString& folder) {
  return QDir(folder).filePath(kPreviewMark);
}

FolderOutcome preparePreviewFolder(const QString& folder, bool namedByUser) {
  if (!ensureFolder(folder))
    return {false, creationFailed(folder)};
  QString failed;
  if (!namedByUser) {
    if (!deleteOrdinaryFiles(folder, &failed))
      return {false, deletionFailed(failed)};
    return {};
  }
  // Only what earlier previews wrote, as they wrote it: files the user put
  // there or changed since stay.
  const QString mark = previewMark(folder);
  QString unusable;
  GalleryRecord record = GalleryRecord::load(mark, &unusable);
  if (!unusable.isEmpty())
    return {false, unusable};
  for (const RecordEntry& entry : record.entries()) {
    const QString file = QDir(folder).filePath(entry.output);
    if (GalleryRecord::stillOnDisk(entry, file) && !QFile::remove(file))
      return {false, deletionFailed(shown(file))};
  }
  record.clear();
  if (!record.save(mark))
    return {false, QStringLiteral("Impossible d'écrire dans le dossier ") + shown(folder)};
  return {};
}

FolderOutcome checkNamedPreviewFolder(const QString& folder) {
  const QDir dir(folder);
  const QFileInfo info(folder);
  if (!info.exists())
    return {};
  if (info.isDir() &&
      (dir.exists(kPreviewMark) ||
       dir.isEmpty(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot)))
    return {};
  return {false, QStringLiteral("Le dossier d'aperçu ") + shown(folder) +
                     QStringLiteral(" n'est pas vide et n'a pas été créé par un aperçu : "
                                    "choisissez un dossier vide ou absent, rien n'a été effacé")};
}

FolderOutcome checkSourcesOutside(const QStringList& sources, const QStringList& folders,
                                  const QStringList& files) {
  std::vector<std::pair<FileId, QString>> folderIds;
  for (const QString& folder : folders) {
    if (const auto id = fileId(folder))
      folderIds.emplace_back(*id, folder);
  }
  for (const QString& source : sources) {
    const QFileInfo info(source);
    // The source as listed and the file a link points to: either may be lost.
    QStringList places{info.absolutePath()};
    if (const QString target = info.canonicalFilePath(); !target.isEmpty())
      places << QFileInfo(target).path();
    for (const QString& place : places) {
      const auto id = fileId(place);
      for (const auto& [folderId, folder] : folderIds) {
        if (id != folderId)
          continue;
        return {false, QStringLiteral("L'image ") + shown(source) +
                           QStringLiteral(" se trouve dans le dossier ") + shown(folder) +
                           QStringLiteral(" où la galerie écrit : elle serait effacée ou "
                                          "remplacée. Choisissez un autre dossier de "
                                          "destination ou un autre nom de fichier html.")};
      }
    }
    for (const QString& file : files) {
      if (sameFile(source, file)) {
        return {false, QStringLiteral("L'image ") + shown(source) +
                           QStringLiteral(" serait remplacée par la page ") + shown(file) +
                           QStringLiteral(". Choisissez un autre nom de fichier html.")};
      }
    }
  }
  return {};
}

}  // namespace pixolane::run
