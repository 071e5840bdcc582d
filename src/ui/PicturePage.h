#pragma once
// The second tab, "2.Traitement des Images": target size, proportions,
// quality and format, the compression preview, the thumbnails' border, box
// and per-row count. Every handler keeps the job in step with its control.
#include <QPointer>
#include <QWidget>

#include <array>
#include <functional>

#include "job/GalleryJob.h"
#include "ui/Growth.h"
#include "ui/Services.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QScrollBar;

namespace pixolane::ui {

class Apercu;

// The caption of the quality frame for a quality.
QString qualityCaption(int quality);

// The screen's size in physical pixels, for "Résolution d'écran".
QSize screenPixels(const QWidget* widget);

class PicturePage : public QWidget {
  Q_OBJECT

 public:
  // `job` is the main window's live job; it and `services` must outlive the page.
  PicturePage(job::GalleryJob& job, const Services& services, QWidget* parent = nullptr);
  ~PicturePage() override;

  // The start-up choices: thumbnail box, resizing on, progressive, quality.
  void startUp();
  // The page is `by` larger than its design size: the rows widen and the
  // columns of options spread out.
  void grow(QSize by) { growth_.apply(by); }
  // The list has just been filled: 640 x 480, boxes scrolled to their start.
  void listFilled();
  // Shows a refused custom size: the width box or the height box, selected.
  void focusCustomSize(bool height);

  Apercu* compressionPreview() const;

 public slots:
  void Check3_Click();
  void Option1_Click();
  void Option2_Click();
  void Option3_Click();
  void Option4_Click();
  void Option5_Click();
  void Option6_Click();
  void Option7_Click();
  void Option8_Click();
  void Option9_Click();
  void Check2_Click();
  void HScroll1_Change();
  void Command9_Click();
  void Check6_Click();
  void Combo2_Click(int index);
  void opt_Click(int index);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void buildSize();
  Growth growth_;
  void buildQuality();
  void buildThumbnails();
  void connectHandlers();
  // Selects an option button; its handler runs also when it was selected.
  void select(QRadioButton* option);
  void connectOption(QRadioButton* option, std::function<void()> handler);
  void setTarget(int width, int height);
  void setResizeControlsEnabled(bool enabled);

  job::GalleryJob& job_;
  const Services& services_;
  QRadioButton* lastToggled_ = nullptr;
  QPointer<Apercu> apercu_;
  int apercuPosition_ = 0;  // outlives the compression preview window

  QCheckBox* Check3 = nullptr;
  QRadioButton* Option1 = nullptr;
  QRadioButton* Option2 = nullptr;
  QRadioButton* Option3 = nullptr;
  QRadioButton* Option4 = nullptr;
  QRadioButton* Option5 = nullptr;
  QRadioButton* Option6 = nullptr;
  QRadioButton* Option7 = nullptr;
  QButtonGroup* sizeGroup = nullptr;
  QLineEdit* Text1 = nullptr;
  QLabel* Label2 = nullptr;
  QLineEdit* Text2 = nullptr;
  QCheckBox* Check2 = nullptr;
  QGroupBox* Frame3 = nullptr;
  QScrollBar* HScroll1 = nullptr;
  QRadioButton* Option8 = nullptr;
  QRadioButton* Option9 = nullptr;
  QPushButton* Command9 = nullptr;
  QCheckBox* Check6 = nullptr;
  QLabel* Label3 = nullptr;
  QComboBox* Combo2 = nullptr;
  QGroupBox* Frame2 = nullptr;
  std::array<QRadioButton*, 4> opt{};  // 1..3 used
  QLabel* Label6 = nullptr;
  QComboBox* Combo1 = nullptr;
};

}  // namespace pixolane::ui
