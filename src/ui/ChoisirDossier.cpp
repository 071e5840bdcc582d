#include "ui/ChoisirDossier.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QStandardPaths>

namespace pixolane::ui {

namespace {

QString showDialog(QWidget* owner, const QString& title, const QString& initialFolder) {
  // Native where the desktop offers one; Qt's own otherwise. Both show the
  // selected folder's full path while browsing.
  return QFileDialog::getExistingDirectory(owner, title, initialFolder, QFileDialog::ShowDirsOnly);
}

}  // namespace

QString& DossierDepart() {
  static QString folder;
  return folder;
}

QString ChoisirDossier(const Services& services, QWidget* owner, const QString& title,
                       const QString& initialFolder) {
  DossierDepart() = initialFolder;
  const QString chosen = services.folderDialog
                             ? services.folderDialog(owner, title, DossierDepart())
                             : showDialog(owner, title, DossierDepart());
  if (chosen.isEmpty())
    return QString();
  // cleanPath drops a trailing separator but keeps the one of a root ("/",
  // "C:/"), so a chosen drive root still reads as a folder.
  return QDir::toNativeSeparators(QDir::cleanPath(chosen));
}

QString defaultDestinationFolder() {
  const QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
  const QString folder =
      !pictures.isEmpty() && QFileInfo(pictures).isDir() ? pictures : QDir::homePath();
  return QDir::toNativeSeparators(QDir::cleanPath(folder));
}

}  // namespace pixolane::ui
