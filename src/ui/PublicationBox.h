#pragma once
// The "Publication" group of the third tab: the gallery's web address, the
// choice to publish after each creation, and "Publier" to send the gallery as
// it is on disk. The address is the gallery's: it is filled from what the
// gallery last used whenever the destination or the page name change.
#include <QGroupBox>

class QCheckBox;
class QLineEdit;
class QPushButton;

namespace pixolane::ui {

class PublicationBox : public QGroupBox {
  Q_OBJECT

 public:
  explicit PublicationBox(QWidget* parent = nullptr);

  QString address() const;
  bool publishAfterRun() const;
  // The gallery now named in the tab: its saved address, if it has one.
  void setGallery(const QString& destination, const QString& pageName);

 signals:
  void publishClicked();

 private:
  QLineEdit* address_ = nullptr;
  QCheckBox* afterRun_ = nullptr;
  QPushButton* publish_ = nullptr;
};

}  // namespace pixolane::ui
