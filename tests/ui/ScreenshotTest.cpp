// Pictures of the windows for the documentation and for looking at the layout,
// written only when PIXOLANE_SCREENSHOT_DIR names a folder: screenshot.png (the
// main window with pictures added, as the README shows it), and with
// PIXOLANE_SCREENSHOT_ALL=1 every other state too. PIXOLANE_SCREENSHOT_FONT_PT
// gives the windows a larger font, as a user's large system font does.
#include <QCheckBox>
#include <QDirIterator>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTabWidget>
#include <QToolButton>
#include <QWebEngineView>

#include "UiSupport.h"
#include "ui/Form2.h"
#include "ui/Form3.h"

namespace pixolane::ui {
namespace {

using namespace pixolane::job;
using namespace pixolane::run;

// The sample photographs of the source tree, found by walking up from the tests.
QString samplesFolder() {
  QDir dir(QCoreApplication::applicationDirPath());
  do {
    if (QFileInfo::exists(dir.filePath("samples/paysage.jpg")))
      return dir.filePath("samples");
  } while (dir.cdUp());
  return {};
}

TEST(Screenshot, MainWindowAtStartUpAndWithPictures) {
  const QString out = qEnvironmentVariable("PIXOLANE_SCREENSHOT_DIR");
  if (out.isEmpty())
    GTEST_SKIP() << "PIXOLANE_SCREENSHOT_DIR not set";
  QString pictures = samplesFolder();
  QTemporaryDir made, preview;
  if (pictures.isEmpty()) {
    pictures = made.path();
    test::makeJpeg(made.filePath("paysage.jpg"), "640x480", "plasma:");
    test::makeJpeg(made.filePath("portrait.jpg"), "480x640", "plasma:");
  }
  if (const int points = qEnvironmentVariableIntValue("PIXOLANE_SCREENSHOT_FONT_PT")) {
    QFont font = QApplication::font();
    font.setPointSize(points);
    QApplication::setFont(font);
  }
  test::MessageLog log;
  test::OpenedDocuments opened;
  const bool all = qEnvironmentVariable("PIXOLANE_SCREENSHOT_ALL") == "1";
  bool progressSaved = false;
  Services services = test::services(&log, &opened);
  services.runOptions.previewFolder = QDir::toNativeSeparators(preview.path() + "/");
  services.windowOpened = [&](QDialog& w) {
    QObject::connect(&w, &QWidget::windowTitleChanged, &w, [&](const QString& t) {
      if (!progressSaved && t.startsWith("Traitement.... ("))
        progressSaved = !all || w.grab().save(out + "/progress.png");
    });
  };
  Form1 form(services);
  test::MainControls c{form};
  test::showOn(form, pictures);
  QDir().mkpath(out);
  // On a display, what the screen shows (the embedded browser draws there
  // only); offscreen, what the widgets paint.
  const auto save = [&](QWidget* w, const QString& name) {
    if (all || name == "screenshot.png") {
      if (QGuiApplication::platformName() == "xcb")
        QTest::qWait(300);  // the window system draws what the widgets painted
      const QPixmap shot = QGuiApplication::platformName() == "xcb"
                               ? w->screen()->grabWindow(w->winId())
                               : w->grab();
      ASSERT_TRUE(shot.save(out + "/" + name));
    }
  };
  save(&form, "startup.png");

  test::clickItem(c.File1, 0);
  ASSERT_NE(form.pictureWindow(), nullptr);
  save(form.pictureWindow(), "picture.png");
  form.pictureWindow()->close();  // it stays above the main window, over the tabs

  test::click(c.Command2);
  test::click(c.Command4);
  save(&form, "screenshot.png");
  c.SSTab1->setCurrentIndex(1);
  save(&form, "pictures.png");
  c.SSTab1->setCurrentIndex(2);
  save(&form, "gallery.png");
  c.SSTab1->setCurrentIndex(0);
  save(&form, "list.png");

  QSignalSpy loaded(c.WebBrowser1, &QWebEngineView::loadFinished);
  test::runToEnd(form, [&] { test::click(c.aper); });
  ASSERT_TRUE(loaded.count() > 0 || loaded.wait(60000));
  EXPECT_TRUE(progressSaved);
  QTest::qWait(1500);  // the page's pictures are drawn after the load
  save(&form, "preview.png");
}

}  // namespace
}  // namespace pixolane::ui
