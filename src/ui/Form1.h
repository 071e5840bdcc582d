#pragma once
// The main window: composes the source picker, the three tab pages, the mode
// switch and the embedded browser of the preview, and owns the job. Each room
// owns its controls and keeps the job in step with them; this window handles
// what crosses rooms: adding and removing entries, the launch, the modes.
#include <QMainWindow>

#include <QPointer>

#include <functional>

#include "job/GalleryJob.h"
#include "run/ProcessingRun.h"
#include "ui/Growth.h"
#include "ui/ListPage.h"
#include "ui/Services.h"

class QCheckBox;
class QGroupBox;
class QMessageBox;
class QTabWidget;
class QWebEngineView;

namespace pixolane::ui {

class Apercu;
class Form2;
class Form3;
class GalleryPage;
class PicturePage;
class SourcePicker;

// The captions of the three tabs, exactly as shown.
inline const QString kTab0 = QStringLiteral("1.Liste de Traitement");
inline const QString kTab1 = QStringLiteral("2.Traitement des Images");
inline const QString kTab2 = QStringLiteral("3.Création de la  gallerie");

// The preview browser's accessible name: what it shows, the gallery of that title.
QString previewBrowserName(const QString& galleryTitle);

// The question asked before copies of `located` photos that carry their GPS
// position: a Yes strips every private datum, not the position only.
QString privateDataQuestion(int located);

// The site's root folder as a gallery page written in `destination` sees it
// when its links begin with `prefix` ("albums/2006/"): the destination less
// one folder per folder of the prefix (the file system's root at most). The
// page is shown from there, as the site that includes it would.
QString siteRootFolder(const QString& destination, const QString& prefix);

// What a visitor will see of a finished run: the file to show and the folder
// its links are read from (the standalone page from its own folder, the
// ".php" page from the site's root). Empty when no page was written.
struct VisitorView {
  QString file;
  QString baseFolder;
};
VisitorView visitorView(const run::RunReport& report, const job::GalleryJob& job);

class Form1 : public QMainWindow {
  Q_OBJECT

 public:
  // `services`: the desktop by default; the windows this one opens get them too.
  explicit Form1(Services services = {}, QWidget* parent = nullptr);
  ~Form1() override;

  const job::GalleryJob& job() const { return job_; }
  std::int16_t SelectionEnCours() const;
  Form3* pictureWindow() const;
  Apercu* compressionPreview() const;

  const run::RunReport& lastReport() const { return lastReport_; }

 public slots:
  void AfficherAPropos();

  // Handlers of the controls whose effect crosses rooms.
  void Command4_Click();  // "Ajouter"
  void List1_Drop(const DroppedItems& items);
  void Command1_Click();  // "Supprimer"
  void aper_Click();
  void para_Click();
  void Command6_Click();  // "Création de la gallerie"

 signals:
  // A processing window has closed (the run's report is in lastReport()).
  void runClosed();

 protected:
  void closeEvent(QCloseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void buildModes();
  // "Ajouter" with `paths`: the selected files, or the pictures dropped.
  void addEntries(const QStringList& paths);
  void Form_Load();
  void Form_QueryUnload();

  // Opens a processing window for `job` over this one; runEnded follows when
  // it has closed.
  void runForm2(job::GalleryJob job);
  void runEnded(const Form2& window);
  // Tells the end of a gallery run and does what Check4 asks.
  void tellGalleryEnd(const Form2& window);
  // Shows a written page in the browser, as the preview does; "Paramétres"
  // goes back to the tabs.
  void showPage(const VisitorView& view);
  // The desktop could not open `path`: said in the end-of-run box while it
  // is up, in a box of its own after.
  void tellCannotOpen(const QString& path);
  // Sends the gallery to the address of the "Publication" group.
  void publishGallery(const QString& destination, const QString& pageName);

  const Services services_;
  Growth growth_;
  job::GalleryJob job_;
  run::RunReport lastReport_;
  VisitorView lastGallery_;          // what the last run wrote, for the browser
  QPointer<QMessageBox> endNotice_;  // the end-of-run box while it is up

  SourcePicker* Frame1 = nullptr;
  QGroupBox* Frame4 = nullptr;
  QCheckBox* para = nullptr;
  QCheckBox* aper = nullptr;
  QTabWidget* SSTab1 = nullptr;
  ListPage* tab0_ = nullptr;
  PicturePage* tab1_ = nullptr;
  GalleryPage* tab2_ = nullptr;
  QWebEngineView* WebBrowser1 = nullptr;
};

}  // namespace pixolane::ui
