// Runs started from the main window, end to end, on real pictures.
#include <QCheckBox>
#include <QComboBox>
#include <QDirIterator>
#include <QImageReader>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTabWidget>
#include <QThread>
#include <QTimer>
#include <QToolButton>
#include <QWebEngineView>

#include "UiSupport.h"
#include "imaging/Imaging.h"
#include "publish/Transport.h"
#include "ui/Form2.h"
#include "ui/Messages.h"
#include "ui/RunBridge.h"

namespace pixolane::ui {
namespace {

using namespace pixolane::job;
using namespace pixolane::run;

// A web server in memory, for the window's publication.
struct MemoryServer : publish::Transport {
  explicit MemoryServer(std::map<QString, QByteArray>& files) : files(files) {}
  bool open(QString*) override { return true; }
  bool makeFolder(const QString&, QString*) override { return true; }
  bool send(const QByteArray& bytes, const QString& remote, const publish::SendProgress&,
            QString*) override {
    files[remote] = bytes;
    return true;
  }
  bool rename(const QString& from, const QString& to, QString*) override {
    files[to] = files[from];
    files.erase(from);
    return true;
  }
  bool remove(const QString& remote, QString*) override { return files.erase(remote), true; }
  bool list(const QString& folder, QStringList* names, QString*) override {
    for (const auto& [path, bytes] : files)
      if (path.section('/', 0, -2) == folder)
        *names << path.section('/', -1);
    return true;
  }
  std::map<QString, QByteArray>& files;
};

class RunWindowTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    src_ = new QTemporaryDir;
    test::makeJpeg(src_->filePath("a_paysage.jpg"), "320x240", "gradient:red-blue");
    test::makeJpeg(src_->filePath("b_portrait.jpg"), "180x240", "gradient:green-yellow");
    test::makeJpeg(src_->filePath("c_carre.jpg"), "200x200", "plasma:");
  }
  static void TearDownTestSuite() { delete src_; }

  void SetUp() override { test::showOn(form, src_->path()); }

  // The windows' services, with a preview folder of the test's own and every
  // processing window watched.
  Services runServices() {
    Services s = test::services(&log, &opened);
    s.runOptions.previewFolder = QDir::toNativeSeparators(preview.path() + "/");
    s.makeTransport = [this](const publish::Address&, const publish::Prompts&) {
      return std::make_unique<MemoryServer>(server);
    };
    s.windowOpened = [this](QDialog& dialog) {
      auto& w = static_cast<Form2&>(dialog);
      ++windows;
      QObject::connect(&w, &QWidget::windowTitleChanged, &w, [this, &w](const QString& t) {
        if (t.startsWith("Traitement.... ("))
          shownWhileRunning = shownWhileRunning || w.isVisible();
      });
      if (onWindow)
        onWindow(w);
    };
    return s;
  }

  // "Création de la gallerie", to the end of the run.
  void create() {
    test::runToEnd(form, [this] { form.Command6_Click(); });
  }

  // Adds every picture of the source folder and names the gallery.
  void fill(const QString& destination) {
    QTest::mouseClick(c.Command2, Qt::LeftButton);
    QTest::mouseClick(c.Command4, Qt::LeftButton);
    c.Text3->setText(platform::withFinalSeparator(QDir::toNativeSeparators(destination)));
    c.Text4->setText("galerie");
  }

  static QStringList filesUnder(const QString& root) {
    QStringList out;
    QDirIterator it(root, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext())
      out << QDir(root).relativeFilePath(it.next());
    out.sort();
    return out;
  }

  static inline QTemporaryDir* src_ = nullptr;
  QTemporaryDir dest, preview;
  test::MessageLog log;
  test::OpenedDocuments opened;
  int windows = 0;
  bool shownWhileRunning = false;
  std::function<void(Form2&)> onWindow;
  std::map<QString, QByteArray> server;
  Form1 form{runServices()};
  test::MainControls c{form};
};

TEST_F(RunWindowTest, GalleryRunWritesEverythingAndClosesItsWindow) {
  fill(dest.path());
  // The custom size is taken at launch and stays the target afterwards.
  test::click(c.Option6);
  c.Text1->setText("1000");
  c.Text2->setText("750");
  QFile html(dest.filePath("galerie.html"));
  ASSERT_TRUE(html.open(QIODevice::WriteOnly));
  html.close();
  c.SSTab1->setCurrentIndex(2);
  test::runToEnd(form, [this] { QTest::mouseClick(c.Command6, Qt::LeftButton); });

  EXPECT_EQ(windows, 1);
  EXPECT_TRUE(shownWhileRunning);
  EXPECT_EQ(form.findChildren<Form2*>().size(), 0);  // closed and gone
  EXPECT_TRUE(form.lastReport().errors.isEmpty());
  // The end is told, with the page and a way to see it.
  ASSERT_EQ(log.messages.size(), 1u);
  EXPECT_EQ(log.messages[0].text, "La galerie « galerie » est créée : 3 images, 0 erreur.\n" +
                                      QDir::toNativeSeparators(dest.filePath("galerie.php")));
  EXPECT_EQ(log.messages[0].action, "Afficher");
  EXPECT_EQ(filesUnder(dest.path()),
            QStringList({"galerie.html", "galerie.php", "minigalerie/a_paysage.jpg",
                         "minigalerie/b_portrait.jpg", "minigalerie/c_carre.jpg",
                         "picgalerie/a_paysage.jpg", "picgalerie/b_portrait.jpg",
                         "picgalerie/c_carre.jpg"}));
  // Proportional sizing as the run does it (the height is read back from twips).
  const auto surface = [](int box) {
    const imaging::PixelSize s = imaging::proportionalSurfaceSize(320 * 15, 240 * 15, box, box);
    return QSize(s.width, s.height);
  };
  EXPECT_EQ(QImageReader(dest.filePath("picgalerie/a_paysage.jpg")).size().width(), 1000);
  EXPECT_EQ(QImageReader(dest.filePath("minigalerie/a_paysage.jpg")).size(), surface(100));
  EXPECT_EQ(QSize(form.job().LargeurCible, form.job().HauteurCible), QSize(1000, 750));
  // The thumbnail box the user chose is still the box.
  EXPECT_EQ(QSize(form.job().LargeurMini, form.job().HauteurMini), QSize(100, 100));
  EXPECT_EQ(opened.paths, QStringList{QDir::toNativeSeparators(dest.filePath("galerie.html"))});
}

// "Publier après création" publishes once the run has ended; without it the
// run's notice offers "Publier".
TEST_F(RunWindowTest, PublishesAfterTheRunOrFromItsNotice) {
  fill(dest.path());
  form.findChild<QLineEdit*>("AdressePublication")->setText("sftp://web@example.org/galerie/");
  auto* after = form.findChild<QCheckBox*>("PublierApresCreation");
  after->setChecked(true);
  create();
  ASSERT_TRUE(QTest::qWaitFor([this] { return log.messages.size() == 2; }, 30000));
  EXPECT_TRUE(log.messages[0].secondAction.isEmpty());
  EXPECT_TRUE(log.messages[1].text.startsWith("Galerie publiée : 7 fichiers envoyés ("))
      << log.messages[1].text.toStdString();
  EXPECT_EQ(server.size(), 7u);

  after->setChecked(false);
  log.takeSecondAction = true;
  create();
  ASSERT_TRUE(QTest::qWaitFor([this] { return log.messages.size() == 4; }, 30000));
  EXPECT_EQ(log.messages[2].secondAction, "Publier");
  EXPECT_EQ(log.messages[3].text,
            "Galerie publiée : 0 fichier envoyé (0 octet), 7 inchangés, 0 retiré.");
}

TEST_F(RunWindowTest, PreviewShowsThePageInTheBrowserAndParaGoesBack) {
  fill(dest.path());
  QSignalSpy loaded(c.WebBrowser1, &QWebEngineView::loadFinished);
  test::runToEnd(form, [this] { test::click(c.aper); });
  ASSERT_TRUE(loaded.count() > 0 || loaded.wait(60000));
  EXPECT_TRUE(loaded.first().at(0).toBool());
  EXPECT_EQ(c.WebBrowser1->url(), QUrl::fromLocalFile(preview.filePath("temp.html")));
  EXPECT_TRUE(QFile::exists(preview.filePath("a_paysage.jpg")));
  EXPECT_TRUE(c.WebBrowser1->isVisible());
  EXPECT_FALSE(c.SSTab1->isVisible());
  EXPECT_TRUE(c.aper->isChecked());
  EXPECT_FALSE(c.para->isChecked());
  EXPECT_EQ(form.job().ModeApercu, -1);
  EXPECT_TRUE(filesUnder(dest.path()).isEmpty());

  // Clearing "Aperçu" changes nothing else.
  test::click(c.aper);
  EXPECT_FALSE(c.aper->isChecked());
  EXPECT_FALSE(c.para->isChecked());
  EXPECT_TRUE(c.WebBrowser1->isVisible());
  EXPECT_EQ(windows, 1);

  test::click(c.para);
  EXPECT_TRUE(c.SSTab1->isVisible());
  EXPECT_FALSE(c.WebBrowser1->isVisible());
  EXPECT_EQ(form.job().ModeApercu, 0);
}

// The natural widths of the pictures the browser shows, 0 for one it could not load.
QList<int> shownPictureWidths(QWebEngineView* view) {
  QVariant widths;
  view->page()->runJavaScript(
      "Array.from(document.images).map(function (i) { return i.naturalWidth; })",
      [&](const QVariant& v) { widths = v; });
  EXPECT_TRUE(QTest::qWaitFor([&] { return widths.isValid(); }, 10000));
  QList<int> out;
  for (const QVariant& w : widths.toList())
    out << w.toInt();
  return out;
}

TEST_F(RunWindowTest, AfficherShowsWhatVisitorsSeeAndTheEndIsOneBox) {
  // The site's root is dest: the page, written in dest/out/, links out/...
  fill(dest.filePath("out"));
  c.Text6[1]->setText("out");
  ASSERT_TRUE(QDir(dest.path()).mkdir("out"));
  QFile html(dest.filePath("out/galerie.html"));
  ASSERT_TRUE(html.open(QIODevice::WriteOnly));
  html.close();
  opened.opens = false;
  log.takeAction = true;  // "Afficher"
  QSignalSpy loaded(c.WebBrowser1, &QWebEngineView::loadFinished);
  create();

  // The result first, then what the desktop could not open, in one box.
  ASSERT_EQ(log.messages.size(), 1u);
  EXPECT_EQ(log.messages[0].icon, QMessageBox::Warning);
  EXPECT_TRUE(log.messages[0].text.startsWith("La galerie « galerie » est créée : 3 images"));
  EXPECT_TRUE(log.messages[0].text.endsWith(
      cannotOpenText(QDir::toNativeSeparators(dest.filePath("out/galerie.html")))));
  ASSERT_TRUE(loaded.count() > 0 || loaded.wait(60000));
  // Every picture loads (a broken one has no natural width).
  EXPECT_TRUE(QTest::qWaitFor(
      [&] {
        const QList<int> widths = shownPictureWidths(c.WebBrowser1);
        return widths.size() == 3 && !widths.contains(0);
      },
      20000));

  // With the standalone page, that page is what visitors see.
  test::click(c.para);
  form.findChild<QCheckBox*>("Check7")->setChecked(true);
  log.answer = false;  // the folders of the first run are kept
  ASSERT_TRUE(html.remove());
  loaded.clear();
  create();
  ASSERT_TRUE(QTest::qWaitFor([&] { return loaded.count() >= 1; }, 60000));
  EXPECT_EQ(c.WebBrowser1->url(), QUrl::fromLocalFile(dest.filePath("out/galerie.html")));
}

TEST_F(RunWindowTest, FolderQuestionsAndPictureErrorsReachTheUser) {
  QTemporaryDir mixed;
  test::makeJpeg(mixed.filePath("bonne.jpg"), "160x120", "gradient:red-blue");
  QFile bad(mixed.filePath("mauvaise.jpg"));
  ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
  bad.write("pas une image");
  bad.close();
  ASSERT_TRUE(c.Dir1->setPath(mixed.path()));
  fill(dest.path());
  QSignalSpy loaded(c.WebBrowser1, &QWebEngineView::loadFinished);
  create();
  ASSERT_EQ(log.messages.size(), 1u);  // one box for every error entry
  EXPECT_EQ(log.messages[0].icon, QMessageBox::Warning);
  EXPECT_EQ(log.messages[0].title, "Pixolane");
  EXPECT_TRUE(
      log.messages[0].text.startsWith("La galerie « galerie » est créée : 1 image, 1 erreur.\n"));
  EXPECT_TRUE(log.messages[0].text.contains("mauvaise.jpg"));
  EXPECT_TRUE(log.messages[0].details.contains("mauvaise.jpg)\n    Impossible de lire"))
      << log.messages[0].details.toStdString();
  EXPECT_TRUE(log.questions.empty());
  // Check4 without a ".html" document: the page itself, in the browser.
  ASSERT_TRUE(loaded.count() > 0 || loaded.wait(60000));
  EXPECT_TRUE(loaded.first().at(0).toBool());
  EXPECT_TRUE(c.WebBrowser1->isVisible());
  EXPECT_FALSE(c.SSTab1->isVisible());
  QString text;
  c.WebBrowser1->page()->toPlainText([&](const QString& t) { text = t; });
  ASSERT_TRUE(QTest::qWaitFor([&] { return !text.isEmpty(); }, 10000));
  EXPECT_TRUE(text.contains("Retour")) << text.toStdString();
  test::click(c.para);
  EXPECT_TRUE(c.SSTab1->isVisible());

  // Again into the same folders: the run asks, under the processing window's caption.
  create();
  ASSERT_FALSE(log.questions.empty());
  for (const auto& q : log.questions)
    EXPECT_EQ(q.title, "Traitement");
  EXPECT_EQ(windows, 2);
}

TEST_F(RunWindowTest, ClosingTheProcessingWindowCancelsTheRun) {
  QTemporaryDir many;
  for (int i = 0; i < 16; ++i)
    test::makeJpeg(many.filePath(QString("p%1.jpg").arg(i, 2, 10, QChar('0'))), "1600x1200",
                   "gradient:red-blue");
  ASSERT_TRUE(c.Dir1->setPath(many.path()));
  fill(dest.path());
  bool stillOpenAfterClose = false;
  onWindow = [&](Form2& w) {
    QObject::connect(&w, &QWidget::windowTitleChanged, &w, [&](const QString& t) {
      if (!t.startsWith("Traitement.... (") || w.cancelRequested())
        return;
      // The close box asks first; on Yes the window stays until the
      // pictures in flight are done.
      w.close();
      stillOpenAfterClose = w.isVisible();
    });
  };
  create();

  ASSERT_EQ(log.questions.size(), 1u);
  EXPECT_EQ(log.questions[0].text, "Arrêter la création de la galerie ?");
  EXPECT_EQ(log.questions[0].title, "Traitement");
  EXPECT_TRUE(stillOpenAfterClose);
  EXPECT_TRUE(form.lastReport().cancelled);
  EXPECT_LT(form.lastReport().picturesWritten, 16);
  EXPECT_FALSE(QFile::exists(dest.filePath("galerie.php")));
  EXPECT_TRUE(opened.paths.isEmpty());
  EXPECT_EQ(form.findChildren<Form2*>().size(), 0);
  ASSERT_EQ(log.messages.size(), 1u);
  EXPECT_TRUE(log.messages[0].text.startsWith("Création arrêtée : "))
      << log.messages[0].text.toStdString();
}

TEST_F(RunWindowTest, AnnulerAsksNonGoesOnOuiStopsDeletingNothing) {
  fill(dest.path());
  create();  // the folders now hold pictures: the next runs ask about them
  for (const bool stop : {false, true}) {
    SCOPED_TRACE(stop);
    const QStringList before = filesUnder(dest.path());
    log.messages.clear();
    log.questions.clear();
    opened.paths.clear();
    Form2* window = nullptr;
    onWindow = [&](Form2& w) { window = &w; };
    int asked = 0;
    // "Annuler" while the first folder question is up, answered `stop`; a
    // stop makes that question's Yes come too late.
    log.whileAsked = [&] {
      if (++asked > 1)
        return;
      log.answer = stop;
      QPushButton* annuler = nullptr;
      for (auto* b : window->findChildren<QPushButton*>())
        annuler = b->accessibleName() == "Annuler" ? b : annuler;
      ASSERT_NE(annuler, nullptr);
      annuler->click();
      log.answer = true;
    };
    create();

    ASSERT_GE(log.questions.size(), 2u);
    EXPECT_EQ(log.questions[1].text, "Arrêter la création de la galerie ?");
    EXPECT_EQ(form.lastReport().cancelled, stop);
    ASSERT_EQ(log.messages.size(), 1u);
    if (stop) {
      EXPECT_EQ(log.questions.size(), 2u);  // the second folder is not asked about
      EXPECT_EQ(filesUnder(dest.path()), before);
      EXPECT_TRUE(opened.paths.isEmpty());
      EXPECT_EQ(log.messages[0].text,
                "Création arrêtée : la galerie précédente n'a pas été modifiée.");
    } else {
      EXPECT_EQ(log.questions.size(), 3u);
      EXPECT_TRUE(log.messages[0].text.startsWith("La galerie « galerie » est créée : 3 images"));
    }
    EXPECT_EQ(form.findChildren<Form2*>().size(), 0);
  }
}

TEST_F(RunWindowTest, AYesToStopThatComesAfterTheEndSaysTheGalleryIsComplete) {
  fill(dest.path());
  QPushButton* annuler = nullptr;
  onWindow = [&](Form2& w) {
    annuler = w.findChild<QPushButton*>("Command1");
    // Asked once the pictures are done, answered once the run has returned.
    QObject::connect(w.findChild<QStatusBar*>("Sb"), &QStatusBar::messageChanged, &w,
                     [&](const QString& t) {
                       if (t == "Génération du fichier php...")
                         QTimer::singleShot(0, annuler, &QPushButton::click);
                     });
  };
  log.whileAsked = [&] {
    EXPECT_TRUE(QTest::qWaitFor([&] { return !annuler->isEnabled(); }, 60000));
  };
  create();
  ASSERT_EQ(log.questions.size(), 1u);
  EXPECT_FALSE(form.lastReport().cancelled);
  ASSERT_EQ(log.messages.size(), 1u);
  EXPECT_TRUE(log.messages[0].text.startsWith(
      "La galerie était déjà terminée quand l'arrêt a été demandé.\n\nLa galerie « galerie » "
      "est créée : 3 images"))
      << log.messages[0].text.toStdString();
}

TEST_F(RunWindowTest, WindowMakesTheSameGalleryAsTheTerminal) {
  // The terminal program of the same build: named by the environment, or
  // beside the tests' folder.
  QString cli = qEnvironmentVariable("PIXOLANE_CLI");
  if (cli.isEmpty())
    cli = QCoreApplication::applicationDirPath() + "/../pixolane-cli";
  if (!QFileInfo(cli).isExecutable())
    GTEST_SKIP() << "no pixolane-cli";
  using test::click;
  form.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
  c.Drive1->setCurrentIndex(0);
  test::openFolderByClicks(c.Dir1, src_->path());
  click(c.Command2);
  click(c.Command4);
  click(c.Option3);            // 1024 x 768
  for (int i = 0; i < 3; ++i)  // the trough, left of the thumb: one page each, 100 -> 85
    QTest::mouseClick(c.HScroll1, Qt::LeftButton, {}, QPoint(40, c.HScroll1->height() / 2));
  click(c.Option8);
  click(c.Check6);
  click(c.opt[1]);
  c.Combo2->lineEdit()->selectAll();
  QTest::keyClicks(c.Combo2->lineEdit(), "5");
  QTest::keyClick(c.Combo2->lineEdit(), Qt::Key_Return);
  c.SSTab1->setCurrentIndex(2);
  test::typeText(c.Text5, "Vacances d'été");
  QTest::keyClicks(c.Text3, platform::withFinalSeparator(QDir::toNativeSeparators(dest.path())));
  QTest::keyClicks(c.Text6[1], "albums");
  QTest::keyClicks(c.Text6[2], "2006");
  QTest::keyClicks(c.Text4, "galerie");
  click(c.Check5);
  click(c.Check4);
  test::runToEnd(form, [&] { click(c.Command6); });
  ASSERT_EQ(form.job().Qualite, 85);
  ASSERT_EQ(form.job().Bordure, 5);
  ASSERT_EQ(windows, 1);

  QTemporaryDir other;
  QStringList args{
      "-d",          other.path(), "-n",        "galerie", "-t",           "Vacances d'été",
      "-s",          "1024x768",   "-q",        "85",      "--baseline",   "--thumbs",
      "large",       "--border",   "5",         "--names", "--new-window", "--site",
      "albums/2006", "--quiet",    src_->path()};
  QProcess process;
  process.start(cli, args);
  ASSERT_TRUE(process.waitForFinished(120000));
  ASSERT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();

  const QStringList files = filesUnder(dest.path());
  ASSERT_EQ(files, filesUnder(other.path()));
  ASSERT_EQ(files.size(), 7);
  for (const QString& f : files) {
    QFile a(dest.filePath(f)), b(other.filePath(f));
    ASSERT_TRUE(a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly));
    EXPECT_TRUE(a.readAll() == b.readAll()) << f.toStdString();
  }
}

}  // namespace
}  // namespace pixolane::ui

TEST(ErrorList, HundredsOfEntriesStayWithinTheScreenWithEveryReasonInTheDetails) {
  QStringList entries, reasons;
  for (int i = 0; i < 300; ++i) {
    entries << QString("Une erreur s'est produite... (/p/%1.jpg)").arg(i);
    reasons << "disque plein";
  }
  const pixolane::ui::Message m = pixolane::ui::errorListMessage(entries, reasons);
  EXPECT_EQ(m.text.count('\n'), 12);
  EXPECT_TRUE(m.text.endsWith("… et 288 autres erreurs (voir les détails)"));
  EXPECT_EQ(m.details.count("\n    disque plein"), 300);
  EXPECT_TRUE(pixolane::ui::errorListMessage(entries.mid(0, 2), {}).details.isEmpty());
}

TEST(RunEnd, SummaryCountsAndStopTexts) {
  using pixolane::run::RunReport;
  RunReport some{.drawn = 18, .unchanged = 12, .pagePath = "/d/vacances.php"};
  EXPECT_EQ(pixolane::ui::runSummary(some, "vacances"),
            "La galerie « vacances » est créée : 30 images (dont 12 inchangées), 0 erreur.");
  RunReport one{.drawn = 0, .unchanged = 1};
  one.addError("e1");
  one.addError("e2");
  EXPECT_EQ(pixolane::ui::runSummary(one, "%1"),
            "La galerie « %1 » n'est pas créée : 1 image (dont 1 inchangée), 2 erreurs.");
  EXPECT_EQ(pixolane::ui::stoppedText(RunReport{.picturesWritten = 23}, false),
            "Création arrêtée : 23 images et 0 miniature déjà écrites sont gardées. Aucune page "
            "n'a été écrite.");
  EXPECT_EQ(pixolane::ui::stoppedText(RunReport{}, false),
            "Création arrêtée : aucun fichier n'a été écrit.");
}

// A question asked while the run is being stopped is answered No, whether the
// stop came before the box (never shown) or while it was up (its Yes too late).
TEST(RunBridge, AQuestionDuringAStopIsAnsweredNo) {
  int shown = 0;
  pixolane::ui::RunBridge* self = nullptr;
  pixolane::ui::RunBridge bridge(
      [&](const QString&, const QString&, const std::function<void(bool)>& answered) {
        ++shown;
        self->stop();  // the user stops the run while the box is up, then says Oui
        answered(true);
      },
      [](const QString&, const std::function<void()>& seen) { seen(); });
  self = &bridge;
  bool answer = true;
  QThread* run = QThread::create([&] { answer = bridge.ask("Effacer ?", "Traitement"); });
  run->start();
  while (!run->isFinished())
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
  run->wait();
  delete run;
  EXPECT_EQ(shown, 1);
  EXPECT_FALSE(answer);
  EXPECT_FALSE(bridge.ask("Effacer ?", "Traitement"));  // stopped before: no box at all
  EXPECT_EQ(shown, 1);
}
