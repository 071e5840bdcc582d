#pragma once
// The main window: source picker, processing list, picture and gallery options,
// the mode switch and the embedded browser of the preview. It owns the job;
// every handler keeps the job in step with its control.
#include <QMainWindow>
#include <QPointer>

#include <array>
#include <functional>
#include <map>

#include "job/GalleryJob.h"
#include "run/ProcessingRun.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class QScrollBar;
class QTabWidget;
class QToolButton;
class QWebEngineView;

namespace pixolane {

namespace ui {
class DirList;
}
class Apercu;
class Form2;
class Form3;

// The captions of the three tabs, exactly as shown.
inline const QString kTab0 = QStringLiteral("1.Liste de Traitement");
inline const QString kTab1 = QStringLiteral("2.Traitement des Images");
inline const QString kTab2 = QStringLiteral("3.Création de la  gallerie");

// The caption of the quality frame for a quality.
QString qualityCaption(int quality);

// The screen's size in physical pixels, for "Résolution d'écran".
QSize screenPixels(const QWidget* widget);

class Form1 : public QMainWindow {
  Q_OBJECT

 public:
  explicit Form1(QWidget* parent = nullptr);
  ~Form1() override;

  const GalleryJob& job() const { return job_; }
  std::int16_t SelectionEnCours() const { return SelectionEnCours_; }
  Form3* pictureWindow() const;
  Apercu* compressionPreview() const;

  // Test seams: every processing window is handed to this before it runs;
  // options of the runs the window starts.
  std::function<void(Form2&)> onForm2Created;
  RunOptions runOptions;

  // --- Left column ---
  QGroupBox* Frame1 = nullptr;
  QComboBox* Drive1 = nullptr;
  ui::DirList* Dir1 = nullptr;
  QListWidget* File1 = nullptr;
  QCheckBox* Check1 = nullptr;
  QToolButton* Command3 = nullptr;  // "Aucun"
  QToolButton* Command2 = nullptr;  // "Tous"
  QGroupBox* Frame4 = nullptr;
  QCheckBox* para = nullptr;
  QCheckBox* aper = nullptr;

  // --- Right-hand side ---
  QTabWidget* SSTab1 = nullptr;
  QWebEngineView* WebBrowser1 = nullptr;

  // Tab 0
  QListWidget* List1 = nullptr;
  QToolButton* Command7 = nullptr;  // "Aucun"
  QToolButton* Command8 = nullptr;  // "Tous"
  QLabel* Label1 = nullptr;
  QPushButton* Command4 = nullptr;  // "Ajouter"
  QPushButton* Command1 = nullptr;  // "Supprimer"

  // Tab 1
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

  // Tab 2
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
  QPushButton* Command6 = nullptr;

 public slots:
  void AfficherAPropos();

  // Handlers, named after their control.
  void Drive1_Change();
  void Dir1_Change();
  void File1_Click();
  void Command2_Click();
  void Command3_Click();
  void Command7_Click();
  void Command8_Click();
  void Command4_Click();
  void Command1_Click();
  void aper_Click();
  void para_Click();
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
  void Command5_Click();
  void Command6_Click();

 signals:
  // A processing window has closed (the run's report is in lastReport()).
  void runClosed();

 public:
  const RunReport& lastReport() const { return lastReport_; }

 protected:
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void buildLeftColumn();
  void buildTab0(QWidget* page);
  void buildTab1(QWidget* page);
  void buildTab2(QWidget* page);
  void wireJob();
  void Form_Load();
  void Form_QueryUnload();

  // Selects an option button; its handler runs also when it was selected.
  void select(QRadioButton* option);
  void connectOption(QRadioButton* option, std::function<void()> handler);
  void setTarget(int width, int height);
  void updateTotal();
  void setResizeControlsEnabled(bool enabled);
  void fillFiles();
  // Runs one processing window modally over this one; false when it did not
  // complete (cancelled or stopped).
  bool runForm2(GalleryJob job);
  void showPreviewPage(const QString& pagePath);

  GalleryJob job_;
  RunReport lastReport_;
  std::int16_t SelectionEnCours_ = 0;
  bool fillingFiles_ = false;
  QRadioButton* lastToggled_ = nullptr;
  std::map<QString, QString> driveFolders_;  // the current folder of each drive
  QPointer<Form3> form3_;
  QPointer<Apercu> apercu_;
};

}  // namespace pixolane
