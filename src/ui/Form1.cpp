#include "ui/Form1.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFutureWatcher>
#include <QGroupBox>
#include <QGuiApplication>
#include <QScreen>
#include <QShortcut>
#include <QTabWidget>
#include <QWebEngineView>
#include <QtConcurrent/QtConcurrentRun>

#include "imaging/StripPrivate.h"
#include "job/Launch.h"
#include "job/SavedLocation.h"
#include "pages/Pages.h"
#include "platform/Writable.h"
#include "run/Naming.h"
#include "ui/Apercu.h"
#include "ui/Controls.h"
#include "ui/Desktop.h"
#include "ui/FitCaptions.h"
#include "ui/Form2.h"
#include "ui/Form3.h"
#include "ui/Form4.h"
#include "ui/GalleryPage.h"
#include "ui/ListPage.h"
#include "ui/Messages.h"
#include "ui/PicturePage.h"
#include "ui/PublicationBox.h"
#include "ui/PublishWindow.h"
#include "ui/SourcePicker.h"

namespace pixolane::ui {

using job::checkLaunch;
using job::GalleryJob;
using job::LaunchCheck;
using job::LaunchField;
using job::restoreSavedLocation;

namespace {
constexpr QSize kDesignSize(752, 549);
// Pictures outside a link take the focus too, and every picture without a
// text says its file name.
constexpr char kReachablePictures[] = R"js(
Array.from(document.images).forEach(function (img) {
  if (!img.closest('a')) img.tabIndex = 0;
  if (!img.alt) {
    var src = img.getAttribute('src') || '';
    try { src = decodeURIComponent(src); } catch (e) {}
    img.setAttribute('aria-label', src.split('/').pop());
  }
});
)js";
constexpr double kPickerShare = 0.25;
}  // namespace

QString previewBrowserName(const QString& galleryTitle) {
  const QString name = QStringLiteral("Aperçu de la gallerie");
  const QString title = galleryTitle.trimmed();
  return title.isEmpty() ? name : name + QStringLiteral(" « ") + title + QStringLiteral(" »");
}

QString privateDataQuestion(int located) {
  const QString where =
      located == 1 ? QStringLiteral("1 image contient sa position GPS.")
                   : QStringLiteral("%1 images contiennent leur position GPS.").arg(located);
  return where + QStringLiteral(
                     "\nRetirer des copies cette position et les autres données privées "
                     "(numéros de série de l'appareil, nom du propriétaire ou de l'auteur, "
                     "notes du fabricant, vignettes intégrées) ?");
}

QString siteRootFolder(const QString& destination, const QString& prefix) {
  QString root = QDir::cleanPath(QDir::fromNativeSeparators(destination));
  for (qsizetype up = prefix.count(QLatin1Char('/')); up > 0; --up) {
    const QString parent = QFileInfo(root).path();
    if (parent == root || parent == QLatin1String("."))
      break;
    root = parent;
  }
  return platform::withFinalSeparator(QDir::toNativeSeparators(root));
}

VisitorView visitorView(const run::RunReport& report, const job::GalleryJob& job) {
  if (!report.standalonePath.isEmpty())
    return {report.standalonePath, QFileInfo(report.standalonePath).path()};
  if (report.pagePath.isEmpty())
    return {};
  return {report.pagePath, siteRootFolder(job.Text3, pages::sitePrefix(job.Text6))};
}

Form1::Form1(Services services, QWidget* parent)
    : QMainWindow(parent), services_(std::move(services)) {
  setWindowTitle(kTitle);
  setAccessibleName(kTitle);
  auto* central = new QWidget(this);
  setCentralWidget(central);
  // The design size is the smallest; larger, the lists and the browser grow.
  setMinimumSize(kDesignSize);
  resize(kDesignSize);

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

  connect(WebBrowser1, &QWebEngineView::loadFinished, this, [this](bool ok) {
    // The page shown is one Tab stop named as the browser, and each of its
    // pictures one more, named after its file; the files stay as written.
    if (QWidget* page = WebBrowser1->focusProxy())
      page->setAccessibleName(WebBrowser1->accessibleName());
    if (ok)
      WebBrowser1->page()->runJavaScript(QString::fromLatin1(kReachablePictures));
  });
  connect(tab0_, &ListPage::addClicked, this, &Form1::Command4_Click);
  connect(tab0_, &ListPage::removeClicked, this, &Form1::Command1_Click);
  connect(tab2_, &GalleryPage::launchClicked, this, &Form1::Command6_Click);
  connect(tab2_->publication(), &PublicationBox::publishClicked, this,
          [this] { publishGallery(job_.Text3, job_.Text4); });
  connect(tab0_, &ListPage::dropped, this, &Form1::List1_Drop);
  connect(tab0_, &ListPage::holdWindow, this,
          [this](bool held) { centralWidget()->setEnabled(!held); });

  // A quarter of the extra width goes to the picker's column, the rest to the
  // tabs and the browser.
  growth_ = Growth{{Frame1, 0, 0, kPickerShare, 1},
                   {Frame4, 0, 1, kPickerShare, 1},
                   {SSTab1, kPickerShare, 0, 1, 1},
                   {WebBrowser1, kPickerShare, 0, 1, 1}};

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

void Form1::resizeEvent(QResizeEvent* event) {
  QMainWindow::resizeEvent(event);
  if (!tab0_)
    return;  // still being built
  const QSize by = size() - kDesignSize;
  growth_.apply(by);
  const int picker = shareOf(std::max(0, by.width()), kPickerShare);
  Frame1->grow({picker, by.height()});
  const QSize tabs(by.width() - picker, by.height());
  tab0_->grow(tabs);
  tab1_->grow(tabs);
  tab2_->grow(tabs);
}

void Form1::Form_QueryUnload() {
  // The picture and compression windows belong to this one: they go with it,
  // so that no window is left behind and the program ends.
  if (Form3* picture = pictureWindow())
    picture->close();
  if (Apercu* compression = compressionPreview())
    compression->close();
}

void Form1::AfficherAPropos() {
  // Modal over this window, without an event loop of its own.
  auto* about = new Form4(this);
  about->setAttribute(Qt::WA_DeleteOnClose);
  about->open();
}

// --- Processing list ---------------------------------------------------------

void Form1::Command4_Click() {
  addEntries(Frame1->selectedPaths());
}

void Form1::List1_Drop(const DroppedItems& items) {
  // The same rule as "Ajouter": the pictures of one folder.
  if (const QString refused = dropRefusal(job_.List1, items.pictures); !refused.isEmpty()) {
    announce(services_, this, Message{QMessageBox::Information, kTitle, refused});
    return;
  }
  if (!items.ignored.isEmpty()) {
    const qsizetype shown = 5;
    QString names = QStringList(items.ignored.mid(0, shown)).join(QStringLiteral(", "));
    if (items.ignored.size() > shown)
      names += QStringLiteral("…");
    announce(services_, this,
             Message{QMessageBox::Information, kTitle,
                     QStringLiteral("Seuls les fichiers JPEG et les dossiers s'ajoutent à la liste "
                                    "de traitement ; %1 : %2")
                         .arg(items.ignored.size() > 1 ? QStringLiteral("ignorés")
                                                       : QStringLiteral("ignoré"),
                              names)});
  }
  // As "Ajouter" adds the selected files.
  if (!items.pictures.isEmpty())
    addEntries(items.pictures);
}

void Form1::addEntries(const QStringList& paths) {
  if (tab0_->count() > 0)
    tab0_->setAddEnabled(false);
  tab2_->setLaunchEnabled(true);
  tab0_->add(paths);
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
  runForm2(job_);
}

void Form1::para_Click() {
  if (!para->isChecked())
    return;
  job_.ModeApercu = 0;
  aper->setChecked(false);
  WebBrowser1->hide();
  SSTab1->show();
}

void Form1::showPage(const VisitorView& view) {
  // The gallery page is named ".php": read from its file the browser would
  // take it for a download, so its bytes are given as the HTML they are, with
  // the site's root as the base of its links.
  QFile page(view.file);
  constexpr qint64 kInlineLimit = 2 * 1024 * 1024;  // the browser's limit for given content
  if (!view.file.endsWith(QStringLiteral(".html"), Qt::CaseInsensitive) &&
      page.size() < kInlineLimit && page.open(QIODevice::ReadOnly)) {
    const QString base =
        QDir(QDir::fromNativeSeparators(view.baseFolder)).filePath(QFileInfo(view.file).fileName());
    WebBrowser1->setContent(page.readAll(), QStringLiteral("text/html;charset=windows-1252"),
                            QUrl::fromLocalFile(base));
  } else {
    WebBrowser1->load(QUrl::fromLocalFile(view.file));
  }
  para->setChecked(false);
  WebBrowser1->show();
  SSTab1->hide();
}

void Form1::tellCannotOpen(const QString& path) {
  const QString text = cannotOpenText(path);
  if (endNotice_) {
    // One box at the end of a run: the result, then what could not be opened.
    endNotice_->setText(endNotice_->text() + QStringLiteral("\n\n") + text);
    endNotice_->setIcon(QMessageBox::Warning);
    nameBoxParts(endNotice_);
  } else {
    announce(services_, this, Message{QMessageBox::Warning, kTitle, text});
  }
  if (!lastGallery_.file.isEmpty())
    showPage(lastGallery_);
}

void Form1::runForm2(GalleryJob job) {
  Services services = services_;
  if (!services.openDocument) {
    // The desktop may say later that it cannot open the document: this
    // window, which tells the end of the run, tells that too.
    services.openDocument = [this](const QString& path) {
      return openWithDesktop(path, this, [this, path] { tellCannotOpen(path); });
    };
  }
  auto* window = new Form2(
      std::move(job), [this](const QString& page) { WebBrowser1->load(QUrl::fromLocalFile(page)); },
      std::move(services), this);
  connect(window, &QDialog::finished, this, [this, window] {
    window->deleteLater();
    runEnded(*window);
  });
  if (services_.windowOpened)
    services_.windowOpened(*window);
  window->open();
}

void Form1::runEnded(const Form2& window) {
  // The run worked on a copy: nothing of it comes back into this window's job.
  lastReport_ = window.report();
  const bool completed = window.ran() && !lastReport_.cancelled && !lastReport_.stopped;
  if (window.job().ModeApercu == -1) {
    if (completed) {
      para->setChecked(false);
      WebBrowser1->setAccessibleName(previewBrowserName(window.job().Text5));
      WebBrowser1->show();
      SSTab1->hide();
    } else {
      // No page to show: stay with the settings.
      job_.ModeApercu = 0;
      const QSignalBlocker quiet(aper);
      aper->setChecked(false);
    }
    if (window.ran() && !lastReport_.errors.isEmpty())
      announce(services_, this, errorListMessage(lastReport_.errors, lastReport_.reasons));
  } else if (window.ran()) {
    tellGalleryEnd(window);
  }
  emit runClosed();
}

void Form1::tellGalleryEnd(const Form2& window) {
  const run::RunReport& report = lastReport_;
  lastGallery_ = {};
  if (report.declined) {
    announce(services_, this, Message{QMessageBox::Information, kTitle, run::declinedMessage()});
    return;
  }
  if (report.stopped)
    return;  // the run has said why
  const run::OutputLayout layout =
      run::outputLayout(window.job().Text3, window.job().Text4, services_.runOptions.sep);
  if (report.cancelled) {
    announce(services_, this,
             Message{QMessageBox::Information, kTitle,
                     stoppedText(report, QFileInfo::exists(layout.page))});
    return;
  }
  // One box says it all: the result first, then what could not be opened.
  Message end = runEndMessage(report, window.job().Text4);
  if (window.stopCameLate())
    end.text = QStringLiteral("La galerie était déjà terminée quand l'arrêt a été demandé.\n\n") +
               end.text;
  // Check4: the ".html" document went to the desktop; without one, or when
  // the desktop could not open it, the browser shows the page.
  lastGallery_ = visitorView(report, window.job());
  const run::Unload unloaded = window.unloaded();
  if (unloaded == run::Unload::Failed) {
    end.icon = QMessageBox::Warning;
    end.text += QStringLiteral("\n\n") + cannotOpenText(layout.document);
  }
  if ((unloaded == run::Unload::Failed || unloaded == run::Unload::NoDocument) &&
      !lastGallery_.file.isEmpty())
    showPage(lastGallery_);
  const QString page = report.pagePath;
  const QString destination = window.job().Text3, pageName = window.job().Text4;
  const PublicationBox* publication = tab2_->publication();
  const bool publishNow = !page.isEmpty() && publication->publishAfterRun();
  if (!page.isEmpty() && !publishNow && !publication->address().isEmpty())
    end.secondAction = QStringLiteral("Publier");
  endNotice_ = announce(
      services_, this, end, [this, view = lastGallery_] { showPage(view); },
      [this, destination, pageName] { publishGallery(destination, pageName); });
  if (publishNow)
    publishGallery(destination, pageName);
}

void Form1::publishGallery(const QString& destination, const QString& pageName) {
  const publish::AddressParse parsed = publish::parseAddress(tab2_->publication()->address());
  if (!parsed.ok) {
    showMessage(services_, this, QMessageBox::Information, parsed.error);
    return;
  }
  if (destination.trimmed().isEmpty() || pageName.trimmed().isEmpty()) {
    showMessage(services_, this, QMessageBox::Information,
                QStringLiteral("Indiquez le dossier de destination et le nom du fichier PHP de "
                               "la galerie à publier."));
    return;
  }
  auto* window = new PublishWindow(destination, pageName, parsed.address, services_, this);
  connect(window, &QDialog::finished, this, [this, window] {
    window->deleteLater();
    const publish::PublishReport& report = window->report();
    const bool failed = !report.ok && !report.cancelled;
    announce(services_, this,
             Message{failed ? QMessageBox::Warning : QMessageBox::Information, kTitle,
                     report.ok ? report.summary() : report.error});
  });
  window->open();
  window->start();
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
  // Said before any question, in plain words, rather than when the run starts.
  if (const QString problem = platform::destinationWriteProblem(job_.Text3); !problem.isEmpty()) {
    showMessage(services_, this, QMessageBox::Information, problem);
    SSTab1->setCurrentIndex(2);
    tab2_->focusField(LaunchField::Destination);
    return;
  }
  GalleryJob run = job_;
  run.ModeApercu = 0;
  if (job::isSet(run.Check3)) {
    runForm2(std::move(run));
    return;
  }
  // Copies go out as they are: ask before publishing where photos were taken.
  // Every listed file's header is read, which takes a while on a long list:
  // on a worker, the window held still meanwhile.
  centralWidget()->setEnabled(false);
  auto* counting = new QFutureWatcher<int>(this);
  const QFuture<int> located = QtConcurrent::run(imaging::countWithGpsPosition, run.List1);
  connect(counting, &QFutureWatcher<int>::finished, this,
          [this, counting, run = std::move(run)]() mutable {
            counting->deleteLater();
            centralWidget()->setEnabled(true);
            if (!isVisible())
              return;  // closed meanwhile
            const int n = counting->result();
            if (n == 0) {
              runForm2(std::move(run));
              return;
            }
            askYesNo(services_, this, privateDataQuestion(n), kTitle,
                     [this, run = std::move(run)](bool strip) mutable {
                       run.stripPrivate = strip;
                       runForm2(std::move(run));
                     });
          });
  counting->setFuture(located);
}

}  // namespace pixolane::ui
