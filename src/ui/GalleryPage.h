#pragma once
// The third tab, "3.Création de la  gallerie": title, destination and its
// picker, the site folders, the page name, the two page options and the
// launch button. The boxes feed the job as they change.
#include <QWidget>

#include <array>

#include "job/GalleryJob.h"
#include "job/Launch.h"
#include "ui/Growth.h"
#include "ui/Services.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace pixolane::ui {

class PublicationBox;

class GalleryPage : public QWidget {
  Q_OBJECT

 public:
  // `job` is the main window's live job; it and `services` must outlive the page.
  GalleryPage(job::GalleryJob& job, const Services& services, QWidget* parent = nullptr);

  void setLaunchEnabled(bool enabled);
  // The page is `by` larger than its design size: the text boxes widen.
  void grow(QSize by) { growth_.apply(by); }
  PublicationBox* publication() const { return Publication; }
  // A refused launch: the focus goes to the box to fill (page name, destination).
  void focusField(job::LaunchField field);

 signals:
  void launchClicked();  // "Création de la gallerie"

 public slots:
  void Command5_Click();

 private:
  void buildFolders();
  void buildOptions();

  job::GalleryJob& job_;
  const Services& services_;
  Growth growth_;
  QLabel* Label4 = nullptr;
  QLineEdit* Text5 = nullptr;
  QLabel* Label5 = nullptr;
  QLineEdit* Text3 = nullptr;
  QPushButton* Command5 = nullptr;
  QLabel* Label7 = nullptr;
  std::array<QLineEdit*, 5> Text6{};
  std::array<QLabel*, 4> Label9{};
  QLabel* Label8 = nullptr;
  QLineEdit* Text4 = nullptr;
  QCheckBox* Check4 = nullptr;
  QCheckBox* Check5 = nullptr;
  QCheckBox* Check7 = nullptr;  // "Page autonome (.html)"
  QPushButton* Command6 = nullptr;
  PublicationBox* Publication = nullptr;
};

}  // namespace pixolane::ui
