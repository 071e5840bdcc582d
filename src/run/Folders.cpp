#include "run/Folders.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace pixolane {

namespace {

const QString kTitle = QStringLiteral("Traitement");

QString creationFailed(const QString& folder) {
  return QStringLiteral("Impossible de créer le dossier ") + folder;
}

QString deletionFailed(const QString& file) {
  return QStringLiteral("Impossible d'effacer ") + file;
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

FolderOutcome Verif_Existance(const OutputLayout& layout, const QString& pageName, RunView& view) {
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
  // cannot hold the gallery stops the run before any file is deleted.
  bool hasFiles[2];
  for (int i = 0; i < 2; ++i) {
    hasFiles[i] = !ordinaryFiles(folders[i].path).isEmpty();
    if (!hasFiles[i] && !ensureFolder(folders[i].path))
      return {false, creationFailed(folders[i].path)};
  }
  for (int i = 0; i < 2; ++i) {
    if (!hasFiles[i] || !view.ask(folders[i].question, kTitle))
      continue;
    QString failed;
    if (!deleteOrdinaryFiles(folders[i].path, &failed))
      return {false, deletionFailed(failed)};
  }
  return {};
}

FolderOutcome preparePreviewFolder(const QString& folder) {
  if (!ensureFolder(folder))
    return {false, creationFailed(folder)};
  QString failed;
  if (!deleteOrdinaryFiles(folder, &failed))
    return {false, deletionFailed(failed)};
  return {};
}

}  // namespace pixolane
