#include "ui/ChoisirDossier.h"

#include <QDir>
#include <QFileDialog>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QStandardPaths>

namespace pixolane::ui {

namespace {

// Qt's translations leave the "Type" column of its own dialog in English
// ("Folder", "Drive"): the names come from here instead.
class FrenchTypeNames : public QFileIconProvider {
 public:
  QString type(const QFileInfo& info) const override {
    if (info.isRoot())
      return QStringLiteral("Lecteur");
    if (info.isDir())
      return QStringLiteral("Dossier");
    if (info.isFile()) {
      const QString suffix = info.suffix().toUpper();
      return suffix.isEmpty() ? QStringLiteral("Fichier") : QStringLiteral("Fichier ") + suffix;
    }
    return QStringLiteral("Inconnu");
  }
};

QString showDialog(QWidget* owner, const QString& title, const QString& initialFolder) {
  // Native where the desktop offers one; Qt's own otherwise. Both show the
  // selected folder's full path while browsing.
  FrenchTypeNames types;
  QFileDialog dialog(owner, title, initialFolder);
  dialog.setFileMode(QFileDialog::Directory);
  dialog.setOption(QFileDialog::ShowDirsOnly);
  dialog.setIconProvider(&types);
  if (dialog.exec() != QDialog::Accepted)
    return QString();
  return dialog.selectedFiles().value(0);
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
