#pragma once
// The source picker, the frame "Image" of the main window: drive, folder and
// file lists, the picture window of a clicked file, and the selection
// buttons. It hands the main window the files chosen and can be locked while
// the processing list holds entries.
#include <QGroupBox>
#include <QPointer>
#include <QStringList>

#include <map>

#include "job/SavedLocation.h"
#include "ui/Growth.h"
#include "ui/Services.h"

class QCheckBox;
class QComboBox;
class QListWidget;
class QToolButton;

namespace pixolane::ui {

class Form3;
class DirList;

class SourcePicker : public QGroupBox {
  Q_OBJECT

 public:
  // `services` must outlive the picker.
  explicit SourcePicker(const Services& services, QWidget* parent = nullptr);
  ~SourcePicker() override;

  // The saved drive, then the saved folder on it.
  void restore(const job::SavedLocation& location);
  // The selected files, full paths, in the file list's order.
  QStringList selectedPaths() const;
  // Drive, folder and file lists stay put while the processing list is filled.
  void setLocked(bool locked);
  // The launch was refused for an empty list: the files to add are chosen here.
  void focusFiles();
  // The frame is `by` larger than its design size: the lists take the room.
  void grow(QSize by) { growth_.apply(by); }

  std::int16_t SelectionEnCours() const { return SelectionEnCours_; }
  Form3* pictureWindow() const;

 public slots:
  void Drive1_Change();
  void Dir1_Change();
  void File1_Click();
  void Command2_Click();  // "Tous"
  void Command3_Click();  // "Aucun"

 protected:
  // Alt+I: the folder list, whichever control of the frame had the focus last.
  bool event(QEvent* event) override;

 private:
  void fillFiles();

  const Services& services_;

  QComboBox* Drive1 = nullptr;
  DirList* Dir1 = nullptr;
  QListWidget* File1 = nullptr;
  QCheckBox* Check1 = nullptr;
  QToolButton* Command3 = nullptr;
  QToolButton* Command2 = nullptr;

  Growth growth_;
  std::int16_t SelectionEnCours_ = 0;
  bool fillingFiles_ = false;
  std::map<QString, QString> driveFolders_;  // the current folder of each drive
  QPointer<Form3> form3_;
};

}  // namespace pixolane::ui
