#include "ui/Form1.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QGroupBox>
#include <QGuiApplication>
#include <QScreen>
#include <QShortcut>
#include <QTabWidget>
#include <QWebEngineView>

#include "imaging/StripPrivate.h"
#include "job/Launch.h"
#include "job/SavedLocation.h"
#include "ui/Controls.h"
#include "ui/FitCaptions.h"
#include "ui/Form2.h"
#include "ui/Form4.h"
#include "ui/GalleryPage.h"
#include "ui/ListPage.h"
#include "ui/Messages.h"
#include "ui/PicturePage.h"
#include "ui/SourcePicker.h"

namespace pixolane::ui {

using job::checkLaunch;
using job::GalleryJob;
using job::LaunchCheck;
using job::LaunchField;
using job::restoreSavedLocation;

QString previewBrowserName(const QString& galleryTitle) {
  const QString name = QStringLiteral("Aperçu de la gallerie");
  const QString title = galleryTitle.trimmed();
  return title.isEmpty() ? name : name + QStringLiteral(" « ") + title + QStringLiteral(" »");
}

Form1::Form1(Services services, QWidget* parent)
    : QMainWindow(parent), services_(std::move(services)) {
  setWindowTitle(kTitle);
  setAccessibleName(kTitle);
  auto* central = new QWidget(this);
  setCentralWidget(central);
  setFixedSize(752, 549);

  Frame1 = new SourcePicker(services_, central);
  Frame1->setGeometry(8, 8, 185, 449);
  buildModes();

  SSTab1 = named(new QTabWidget(central), QStringLiteral("SSTab1"), QStringLiteral("Onglets"));
  SSTab1->setGeometry(200, 8, 545, 537);
  tab0_ = new ListPage(job_.List1);
  tab1_ = new PicturePage(job_, services_);
  tab2_ = new GalleryPage(job_, services_);
  // Alt+1, Alt+2, Alt+3 open the tabs.
  SSTab1->addTab(tab0_, '&' + kTab0);
  SSTab1->addTab(tab1_, '&' + kTab1);
  SSTab1->addTab(tab2_, '&' + kTab2);

  WebBrowser1 =
      named(new QWebEngineView(central), QStringLiteral("WebBrowser1"), previewBrowserName({}));
  WebBrowser1->setGeometry(200, 8, 545, 537);

  connect(tab0_, &ListPage::addClicked, this, &Form1::Command4_Click);
  connect(tab0_, &ListPage::removeClicked, this, &Form1::Command1_Click);
  connect(tab2_, &GalleryPage::launchClicked, this, &Form1::Command6_Click);

  auto* help = new QShortcut(QKeySequence(Qt::Key_F1), this);
  connect(help, &QShortcut::activated, this, &Form1::AfficherAPropos);

  // Centred on the screen.
  if (const QScreen* screen = QGuiApplication::primaryScreen())
    move(screen->availableGeometry().center() - rect().center());

  Form_Load();
  ui::fitCaptions(this);
}

// The rooms are children; their top-level windows go with them.
Form1::~Form1() = default;

std::int16_t Form1::SelectionEnCours() const {
  return Frame1->SelectionEnCours();
}

Form3* Form1::pictureWindow() const {
  return Frame1->pictureWindow();
}

Apercu* Form1::compressionPreview() const {
  return tab1_->compressionPreview();
}

void Form1::buildModes() {
  const QString mode = QStringLiteral("Mode d'exécution");
  Frame4 = named(new QGroupBox(mode, centralWidget()), QStringLiteral("Frame4"), mode);
  Frame4->setGeometry(8, 464, 185, 81);
  para = named(new QCheckBox(QStringLiteral("&Paramétres"), Frame4), QStringLiteral("para"),
               QStringLiteral("Paramétres"));
  para->setGeometry(16, 22, 160, 24);
  aper = named(new QCheckBox(QStringLiteral("Aperç&u"), Frame4), QStringLiteral("aper"),
               QStringLiteral("Mode aperçu"));
  aper->setGeometry(16, 48, 160, 24);
  connect(para, &QCheckBox::toggled, this, &Form1::para_Click);
  connect(aper, &QCheckBox::toggled, this, &Form1::aper_Click);
}

void Form1::Form_Load() {
  Frame1->restore(restoreSavedLocation());
  job_.ModeApercu = 0;
  aper->setEnabled(false);
  para->setChecked(true);
  WebBrowser1->hide();
  job_.Bordure = 2;
  SSTab1->setCurrentIndex(0);
  SSTab1->setTabEnabled(2, false);
  SSTab1->setTabEnabled(1, false);
  tab1_->startUp();
}

void Form1::closeEvent(QCloseEvent* event) {
  Form_QueryUnload();
  event->accept();
}

void Form1::Form_QueryUnload() {
  // Only this window goes: the picture and compression windows are top-level
  // windows of their own and the program ends when the last one is closed.
}

void Form1::AfficherAPropos() {
  Form4 about(this);
  about.exec();
}

// --- Processing list ---------------------------------------------------------

void Form1::Command4_Click() {
  if (tab0_->count() > 0)
    tab0_->setAddEnabled(false);
  tab2_->setLaunchEnabled(true);
  tab0_->add(Frame1->selectedPaths());
  if (tab0_->count() > 0) {
    SSTab1->setTabEnabled(1, true);
    SSTab1->setTabEnabled(2, true);
    aper->setEnabled(true);
    SSTab1->setCurrentIndex(1);
    tab1_->listFilled();
    Frame1->setLocked(true);
    Frame1->Command3_Click();
  }
}

void Form1::Command1_Click() {
  tab0_->setAddEnabled(true);
  tab0_->removeSelected();
  if (tab0_->count() == 0) {
    tab2_->setLaunchEnabled(false);
    Frame1->setLocked(false);
    aper->setEnabled(false);
  }
}

// --- Modes -------------------------------------------------------------------

void Form1::aper_Click() {
  if (!aper->isChecked())
    return;
  job_.ModeApercu = -1;
  if (!runForm2(job_)) {
    // No page to show: stay with the settings.
    job_.ModeApercu = 0;
    const QSignalBlocker quiet(aper);
    aper->setChecked(false);
    return;
  }
  para->setChecked(false);
  WebBrowser1->setAccessibleName(previewBrowserName(job_.Text5));
  WebBrowser1->show();
  SSTab1->hide();
}

void Form1::para_Click() {
  if (!para->isChecked())
    return;
  job_.ModeApercu = 0;
  aper->setChecked(false);
  WebBrowser1->hide();
  SSTab1->show();
}

bool Form1::runForm2(GalleryJob job) {
  Form2 window(
      std::move(job), [this](const QString& page) { WebBrowser1->load(QUrl::fromLocalFile(page)); },
      services_, this, runOptions);
  if (onForm2Created)
    onForm2Created(window);
  window.exec();
  lastReport_ = window.report();
  emit runClosed();
  // The run worked on a copy: nothing of it comes back into this window's job.
  return window.run().ran() && !lastReport_.cancelled && !lastReport_.stopped;
}

// --- Launch ------------------------------------------------------------------

void Form1::Command6_Click() {
  const LaunchCheck check = checkLaunch(job_);
  if (!check.ok) {
    showMessage(services_, this, QMessageBox::Information, check.message);
    switch (check.field) {
      case LaunchField::List:
        SSTab1->setCurrentIndex(0);
        Frame1->focusFiles();
        break;
      case LaunchField::PageName:
      case LaunchField::Destination:
        tab2_->focusField(check.field);
        break;
      case LaunchField::CustomWidth:
      case LaunchField::CustomHeight:
        SSTab1->setCurrentIndex(1);
        tab1_->focusCustomSize(check.field == LaunchField::CustomHeight);
        break;
      default:
        break;
    }
    return;
  }
  GalleryJob run = job_;
  run.ModeApercu = 0;
  // Copies go out as they are: ask before publishing where photos were taken.
  if (!job::isSet(run.Check3)) {
    if (const int located = imaging::countWithGpsPosition(run.List1))
      run.stripPrivate = askYesNo(services_, this,
                                  QStringLiteral("%1 images contiennent leur position GPS. "
                                                 "La retirer des copies ?")
                                      .arg(located),
                                  kTitle);
  }
  runForm2(std::move(run));
}

}  // namespace pixolane::ui
