#include "ui/SourcePicker.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QLabel>
#include <QListWidget>
#include <QToolButton>

#include "platform/PictureListing.h"
#include "platform/Platform.h"
#include "ui/Controls.h"
#include "ui/DirList.h"
#include "ui/Form3.h"
#include "ui/Messages.h"

namespace pixolane::ui {

using job::SavedLocation;

SourcePicker::SourcePicker(const Services& services, QWidget* parent)
    : QGroupBox(QStringLiteral("&Image"), parent), services_(services) {
  named(this, QStringLiteral("Frame1"), QStringLiteral("Image"));

  Drive1 = named(new QComboBox(this), QStringLiteral("Drive1"), QStringLiteral("Lecteur"));
  Drive1->setGeometry(8, 20, 169, 24);
  Drive1->addItems(platform::drives());
  // A combo box reads as its value ("/"); a label gives it its name. The
  // window shows none, so this one stays hidden.
  auto* driveName = named(new QLabel(QStringLiteral("Lecteur"), this),
                          QStringLiteral("Drive1Label"), QStringLiteral("Lecteur"));
  driveName->setBuddy(Drive1);
  driveName->hide();

  Dir1 = named(new DirList(this), QStringLiteral("Dir1"), QStringLiteral("Dossier"));
  Dir1->setGeometry(8, 50, 169, 170);

  File1 = named(new QListWidget(this), QStringLiteral("File1"), QStringLiteral("Fichiers"));
  File1->setGeometry(8, 226, 169, 180);
  File1->setSelectionMode(QAbstractItemView::MultiSelection);

  Check1 = named(new QCheckBox(QStringLiteral("Ap&erçu"), this), QStringLiteral("Check1"),
                 QStringLiteral("Aperçu des images"));
  Check1->setGeometry(8, 414, 90, 26);
  Check1->setChecked(true);
  // The processing list has a pair of the same buttons: the names say which list.
  Command3 = pictureButton(this, QStringLiteral("Command3"), QStringLiteral("Aucun"), false);
  Command3->setAccessibleName(QStringLiteral("Tout désélectionner (fichiers)"));
  Command3->setGeometry(117, 413, 28, 28);
  Command2 = pictureButton(this, QStringLiteral("Command2"), QStringLiteral("Tous"), true);
  Command2->setAccessibleName(QStringLiteral("Tout sélectionner (fichiers)"));
  Command2->setGeometry(149, 413, 28, 28);

  connect(Drive1, &QComboBox::currentIndexChanged, this, &SourcePicker::Drive1_Change);
  connect(Dir1, &DirList::pathChanged, this, &SourcePicker::Dir1_Change);
  connect(File1, &QListWidget::itemSelectionChanged, this, &SourcePicker::File1_Click);
  connect(Command2, &QToolButton::clicked, this, &SourcePicker::Command2_Click);
  connect(Command3, &QToolButton::clicked, this, &SourcePicker::Command3_Click);

  // The folder and file lists share the extra height; the row below follows.
  growth_ = Growth{{Drive1, 0, 0, 1, 0}, {Dir1, 0, 0, 1, 0.5},   {File1, 0, 0.5, 1, 1},
                   {Check1, 0, 1, 0, 1}, {Command3, 1, 1, 1, 1}, {Command2, 1, 1, 1, 1}};
  showCutNamesInTooltips(Dir1);
  showCutNamesInTooltips(File1);
}

SourcePicker::~SourcePicker() {
  // The picture window belongs to the main window, which may outlive this room.
  delete form3_;
}

Form3* SourcePicker::pictureWindow() const {
  return form3_;
}

void SourcePicker::restore(const SavedLocation& location) {
  int drive = Drive1->findText(location.drive);
  if (drive < 0) {
    Drive1->addItem(location.drive);
    drive = Drive1->count() - 1;
  }
  if (Drive1->currentIndex() == drive)
    Drive1_Change();
  else
    Drive1->setCurrentIndex(drive);
  if (!location.folder.isEmpty())
    Dir1->setPath(location.folder);
}

QStringList SourcePicker::selectedPaths() const {
  const QString folder = platform::withFinalSeparator(Dir1->path());
  QStringList paths;
  for (int i = 0; i < File1->count(); ++i) {
    if (File1->item(i)->isSelected())
      paths.append(folder + File1->item(i)->text());
  }
  return paths;
}

bool SourcePicker::event(QEvent* event) {
  if (event->type() != QEvent::Shortcut)
    return QGroupBox::event(event);
  // A locked picker has only its check box and buttons to offer.
  for (QWidget* target : {static_cast<QWidget*>(Dir1), static_cast<QWidget*>(Check1)}) {
    if (target->isEnabled()) {
      target->setFocus(Qt::ShortcutFocusReason);
      break;
    }
  }
  return true;
}

void SourcePicker::setLocked(bool locked) {
  Drive1->setEnabled(!locked);
  Dir1->setEnabled(!locked);
  File1->setEnabled(!locked);
}

void SourcePicker::focusFiles() {
  File1->setFocus();
}

void SourcePicker::Drive1_Change() {
  const QString drive = Drive1->currentText();
  QString folder = drive;
  if (const auto known = driveFolders_.find(drive); known != driveFolders_.end())
    folder = known->second;
  if (!platform::driveReady(drive) || !(Dir1->setPath(folder) || Dir1->setPath(drive))) {
    showMessage(services_, window(), QMessageBox::Critical,
                QStringLiteral("Le lecteur n'est pas pret..."));
  }
}

void SourcePicker::Dir1_Change() {
  driveFolders_[Drive1->currentText()] = Dir1->path();
  fillFiles();
}

void SourcePicker::fillFiles() {
  fillingFiles_ = true;
  File1->clear();
  File1->addItems(platform::picturesIn(Dir1->path()));
  fillingFiles_ = false;
}

void SourcePicker::File1_Click() {
  if (fillingFiles_ || SelectionEnCours_ != 0 || checkValue(Check1) != 1)
    return;
  const QListWidgetItem* item = File1->currentItem();
  if (!item)
    return;
  if (!form3_) {
    // The main window's own window: kept above it and closed with it.
    form3_ = new Form3(window());
    // Beside the picker, so that the folder and file lists stay in sight.
    form3_->move(mapToGlobal(QPoint(width() + 8, 0)));
    keepAbove(form3_);
  }
  form3_->showPicture(platform::withFinalSeparator(Dir1->path()) + item->text());
  form3_->show();
}

void SourcePicker::Command2_Click() {
  SelectionEnCours_ = -1;
  for (int i = 0; i < File1->count(); ++i)
    File1->item(i)->setSelected(true);
  SelectionEnCours_ = 0;
}

void SourcePicker::Command3_Click() {
  SelectionEnCours_ = -1;
  for (int i = 0; i < File1->count(); ++i)
    File1->item(i)->setSelected(false);
  SelectionEnCours_ = 0;
}

}  // namespace pixolane::ui
