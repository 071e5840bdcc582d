#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QThreadPool>

#include <functional>
#include <memory>

#include "imaging/Imaging.h"
#include "job/GalleryJob.h"
#include "run/ApercuLogic.h"
#include "ui/Apercu.h"

namespace pixolane::ui {
namespace {

using namespace pixolane::job;
using namespace pixolane::run;

// Waits on a condition while letting events run (the worker's result arrives
// as an event).
bool waitFor(const std::function<bool()>& condition, int timeoutMs = 30000) {
  QElapsedTimer timer;
  timer.start();
  while (!condition()) {
    if (timer.elapsed() > timeoutMs)
      return false;
    QTest::qWait(10);
  }
  return true;
}

TEST(ApercuCaption, SizeInKoRoundsHalfUpWithTwoDigitsAtLeast) {
  const std::pair<qint64, const char*> cases[] = {
      {45678, "46"}, {5000, "05"}, {12500, "13"}, {1234567, "1235"}, {0, "00"},
      {499, "00"},   {500, "01"},  {1499, "01"},  {99499, "99"},     {99500, "100"},
  };
  for (const auto& [bytes, expected] : cases) {
    EXPECT_EQ(formatKo(bytes), QString(expected)) << bytes;
  }
}

TEST(ApercuCaption, JoinsItsPartsWithoutAddedSpaces) {
  EXPECT_EQ(apercuCaption(75, 45678, 800, 600, "/photos/photo.jpg", 1),
            "75% - Taille :46Ko - 800x600 - photo.jpg - Format Progressif");
  EXPECT_EQ(apercuCaption(100, 5000, 1024, 768, "/photos/Noël 2006.jpg", 0),
            "100% - Taille :05Ko - 1024x768 - Noël 2006.jpg - Format Standart");
}

class ApercuWindow : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir_ = new QTemporaryDir;
    ASSERT_TRUE(dir_->isValid());
    makeJpeg("paysage.jpg", "160x120", "gradient:red-blue");
    makeJpeg("portrait.jpg", "90x120", "gradient:green-yellow");
    makeJpeg("carre.jpg", "100x100", "plasma:");
    makeJpeg("grande.jpg", "4000x3000", "plasma:");
    QFile bad(path("abime.jpg"));
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
    bad.write("ceci n'est pas une image");
  }
  static void TearDownTestSuite() {
    // No render may outlive the pictures it reads.
    QThreadPool::globalInstance()->waitForDone();
    delete dir_;
    dir_ = nullptr;
  }
  static void makeJpeg(const QString& name, const QString& size, const QString& content) {
    const int rc = QProcess::execute("/usr/bin/convert",
                                     {"-size", size, content, "-quality", "90", path(name)});
    ASSERT_EQ(rc, 0) << name.toStdString();
  }
  static QString path(const QString& name) { return dir_->filePath(name); }

  void SetUp() override {
    position_ = 0;
    job_.LargeurCible = 800;
    job_.HauteurCible = 600;
    job_.Qualite = 75;
    job_.Progressif = 1;
  }

  // Renders with maj() or a click and waits for the outcome.
  bool render(Apercu& window, const std::function<void()>& action) {
    QSignalSpy spy(&window, &Apercu::rendered);
    action();
    return spy.count() > 0 || spy.wait(30000);
  }

  static QTemporaryDir* dir_;
  GalleryJob job_;
  int position_ = 0;
};

QTemporaryDir* ApercuWindow::dir_ = nullptr;

TEST_F(ApercuWindow, CaptionAndSizeForLandscapePortraitAndSquare) {
  struct Case {
    const char* file;
    int sourceWidth, sourceHeight;
    int quality, progressif;
    const char* format;
  };
  const Case cases[] = {
      {"paysage.jpg", 160, 120, 75, 1, " - Format Progressif"},
      {"portrait.jpg", 90, 120, 75, 1, " - Format Progressif"},
      {"carre.jpg", 100, 100, 40, 0, " - Format Standart"},
  };
  Apercu window(job_, position_);
  EXPECT_EQ(window.windowTitle(), "Aperçu....");
  EXPECT_EQ(window.Picture1->cursor().shape(), Qt::PointingHandCursor);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    job_.List1 = {path(c.file)};
    job_.Qualite = c.quality;
    job_.Progressif = c.progressif;
    ASSERT_TRUE(render(window, [&] {
      window.maj();
      EXPECT_EQ(window.windowTitle(), "Traitement en cours...");
    }));
    EXPECT_GT(window.encodedBytes(), 0);
    EXPECT_EQ(window.windowTitle(), QString::number(c.quality) +
                                        "% - Taille :" + formatKo(window.encodedBytes()) +
                                        "Ko - 800x600 - " + c.file + c.format);
    // The long side (the height for a square) is the target's; the other
    // follows the picture's proportions.
    const imaging::PixelSize expected = imaging::proportionalSurfaceSize(
        c.sourceWidth * 15.0, c.sourceHeight * 15.0, job_.LargeurCible, job_.HauteurCible);
    if (c.sourceWidth > c.sourceHeight) {
      EXPECT_EQ(expected.width, 800);
    } else {
      EXPECT_EQ(expected.height, 600);
    }
    const QSize shown = window.Picture1->pixmap().size();
    EXPECT_EQ(shown, QSize(expected.width, expected.height));
    EXPECT_EQ(window.size(), shown);
  }
}

TEST_F(ApercuWindow, LowerQualityMakesASmallerFile) {
  job_.List1 = {path("grande.jpg")};
  Apercu window(job_, position_);
  job_.Qualite = 95;
  ASSERT_TRUE(render(window, [&] { window.maj(); }));
  const qint64 high = window.encodedBytes();
  job_.Qualite = 20;  // read afresh at the next render
  ASSERT_TRUE(render(window, [&] { window.maj(); }));
  EXPECT_LT(window.encodedBytes(), high);
  EXPECT_TRUE(window.windowTitle().startsWith("20% - Taille :"));
}

TEST_F(ApercuWindow, ClicksStepThroughTheListAndWrapAround) {
  job_.List1 = {path("paysage.jpg"), path("portrait.jpg"), path("carre.jpg")};
  Apercu window(job_, position_);
  window.show();
  ASSERT_TRUE(render(window, [&] { window.maj(); }));
  EXPECT_TRUE(window.windowTitle().endsWith(" - paysage.jpg - Format Progressif"));
  const char* expected[] = {"portrait.jpg", "carre.jpg", "paysage.jpg", "portrait.jpg"};
  const int positions[] = {1, 2, 0, 1};
  for (int i = 0; i < 4; ++i) {
    ASSERT_TRUE(render(window, [&] { QTest::mouseClick(window.Picture1, Qt::LeftButton); }));
    EXPECT_EQ(position_, positions[i]);
    EXPECT_TRUE(
        window.windowTitle().endsWith(QString(" - ") + expected[i] + " - Format Progressif"))
        << window.windowTitle().toStdString();
  }
}

TEST_F(ApercuWindow, KeysStepBothWaysAndEscapeCloses) {
  job_.List1 = {path("paysage.jpg"), path("portrait.jpg"), path("carre.jpg")};
  Apercu window(job_, position_);
  window.show();
  window.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
  ASSERT_TRUE(render(window, [&] { window.maj(); }));
  const std::pair<Qt::Key, int> steps[] = {{Qt::Key_Right, 1},
                                           {Qt::Key_Space, 2},
                                           {Qt::Key_PageDown, 0},
                                           {Qt::Key_Left, 2},
                                           {Qt::Key_PageUp, 1}};
  for (const auto& [key, position] : steps) {
    ASSERT_TRUE(render(window, [&] { QTest::keyClick(&window, key); })) << key;
    EXPECT_EQ(position_, position) << key;
  }
  // A screen reader finds the caption on the picture, where the focus is.
  EXPECT_TRUE(window.Picture1->hasFocus());
  EXPECT_EQ(window.Picture1->accessibleName(), window.windowTitle());
  EXPECT_TRUE(window.windowTitle().contains(" - portrait.jpg - "));
  QTest::keyClick(&window, Qt::Key_Escape);
  EXPECT_FALSE(window.isVisible());
}

TEST_F(ApercuWindow, ListOfOneShowsTheSamePictureAtEveryClick) {
  job_.List1 = {path("portrait.jpg")};
  Apercu window(job_, position_);
  ASSERT_TRUE(render(window, [&] { window.maj(); }));
  const QString first = window.windowTitle();
  for (int i = 0; i < 2; ++i) {
    ASSERT_TRUE(render(window, [&] { window.Picture1_Click(); }));
    EXPECT_EQ(position_, 0);
    EXPECT_EQ(window.windowTitle(), first);
  }
}

TEST_F(ApercuWindow, EmptyListSaysSoAndShowsNothing) {
  Apercu window(job_, position_);
  QSignalSpy spy(&window, &Apercu::rendered);
  window.maj();
  window.affiche();
  ASSERT_EQ(spy.count(), 2);
  EXPECT_FALSE(spy.at(0).at(0).toBool());
  EXPECT_EQ(window.windowTitle(), "Aucune image dans la liste de traitement");
  EXPECT_TRUE(window.Picture1->pixmap().isNull());
  EXPECT_EQ(position_, 0);
  EXPECT_FALSE(window.isRendering());
}

TEST_F(ApercuWindow, PositionPastTheEndStartsAgainAtTheFirstPicture) {
  job_.List1 = {path("paysage.jpg"), path("portrait.jpg")};
  position_ = 5;  // the list was longer when the window last showed
  Apercu window(job_, position_);
  ASSERT_TRUE(render(window, [&] { window.maj(); }));
  EXPECT_EQ(position_, 0);
  EXPECT_TRUE(window.windowTitle().contains(" - paysage.jpg - "));
}

TEST_F(ApercuWindow, UnreadablePictureIsNamedAndTheNextOneStillShows) {
  job_.List1 = {path("abime.jpg"), path("absente.jpg"), path("paysage.jpg")};
  Apercu window(job_, position_);
  QSignalSpy spy(&window, &Apercu::rendered);
  ASSERT_TRUE(render(window, [&] { window.maj(); }));
  EXPECT_FALSE(spy.takeFirst().at(0).toBool());
  EXPECT_EQ(window.windowTitle(), "Impossible de lire l'image abime.jpg");
  EXPECT_EQ(window.encodedBytes(), 0);
  ASSERT_TRUE(render(window, [&] { window.affiche(); }));
  EXPECT_EQ(window.windowTitle(), "Impossible de lire l'image absente.jpg");
  ASSERT_TRUE(render(window, [&] { window.affiche(); }));
  EXPECT_TRUE(window.windowTitle().contains(" - paysage.jpg - "));
  EXPECT_FALSE(window.Picture1->pixmap().isNull());
}

TEST_F(ApercuWindow, PositionOutlivesTheWindow) {
  job_.List1 = {path("paysage.jpg"), path("portrait.jpg")};
  {
    auto window = std::make_unique<Apercu>(job_, position_);
    ASSERT_TRUE(render(*window, [&] { window->affiche(); }));
  }
  EXPECT_EQ(position_, 1);
  Apercu reopened(job_, position_);
  ASSERT_TRUE(render(reopened, [&] { reopened.maj(); }));
  EXPECT_TRUE(reopened.windowTitle().contains(" - portrait.jpg - "));
}

TEST_F(ApercuWindow, ResultOfAnOlderRenderIsDropped) {
  // The large picture takes longer than the small one asked for after it;
  // its result must not replace the newer picture.
  job_.List1 = {path("grande.jpg"), path("paysage.jpg")};
  Apercu window(job_, position_);
  QSignalSpy spy(&window, &Apercu::rendered);
  window.maj();
  window.affiche();
  ASSERT_TRUE(waitFor([&] { return !window.isRendering(); }));
  QThreadPool::globalInstance()->waitForDone();
  for (int i = 0; i < 3; ++i)
    QCoreApplication::processEvents();
  EXPECT_EQ(spy.count(), 1);
  EXPECT_TRUE(window.windowTitle().contains(" - paysage.jpg - "));
  EXPECT_EQ(window.Picture1->pixmap().width(), 800);
}

}  // namespace
}  // namespace pixolane::ui
