// Pictures of the windows for the documentation and for looking at the layout,
// written only when PIXOLANE_SCREENSHOT_DIR names a folder: screenshot.png (the
// main window with pictures added, as the README shows it), and with
// PIXOLANE_SCREENSHOT_ALL=1 every other state too.
#include <QCheckBox>
#include <QDirIterator>
#include <QPushButton>
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
  test::MessageLog log;
  test::OpenedDocuments opened;
  Form1 form(test::services(&log, &opened));
  test::MainControls c{form};
  form.runOptions.previewFolder = QDir::toNativeSeparators(preview.path() + "/");
  test::showOn(form, pictures);
  QDir().mkpath(out);
  const bool all = qEnvironmentVariable("PIXOLANE_SCREENSHOT_ALL") == "1";
  const auto save = [&](QWidget* w, const QString& name) {
    if (all || name == "screenshot.png")
      ASSERT_TRUE(w->grab().save(out + "/" + name));
  };
  save(&form, "startup.png");

  test::clickItem(c.File1, 0);
  ASSERT_NE(form.pictureWindow(), nullptr);
  save(form.pictureWindow(), "picture.png");

  test::click(c.Command2);
  test::click(c.Command4);
  save(&form, "screenshot.png");
  c.SSTab1->setCurrentIndex(2);
  save(&form, "gallery.png");
  c.SSTab1->setCurrentIndex(0);
  save(&form, "list.png");

  bool progressSaved = false;
  form.onForm2Created = [&](Form2& w) {
    QObject::connect(&w, &QWidget::windowTitleChanged, &w, [&](const QString& t) {
      if (!progressSaved && t.startsWith("Traitement.... ("))
        progressSaved = !all || w.grab().save(out + "/progress.png");
    });
  };
  QSignalSpy loaded(c.WebBrowser1, &QWebEngineView::loadFinished);
  test::click(c.aper);
  ASSERT_TRUE(loaded.count() > 0 || loaded.wait(60000));
  EXPECT_TRUE(progressSaved);
  save(&form, "preview.png");
}

}  // namespace
}  // namespace pixolane::ui
