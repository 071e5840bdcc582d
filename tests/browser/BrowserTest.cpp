// The pages pixolane-cli writes, shown by a real browser engine: every picture
// must load at the size its tag announces, and every link must reach a file.
// libvips (through glib) first: Qt's keyword macros would break its headers.
#include "cli/CliSupport.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>
#include <QWebEnginePage>
#include <QWebEngineView>

#include <cstdlib>
#include <memory>

#include "ui/WebEngineSetup.h"

using namespace pixolane::clitest;

namespace {

// Started by hand rather than by CTest: no display. Set before main creates
// the application.
const bool environmentReady = [] {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
    qputenv("QT_QPA_PLATFORM", "offscreen");
  pixolane::ui::prepareWebEngine();
  return true;
}();

// What the page shows, read once it has loaded.
const char* const kInspect = R"js(
(function () {
  const images = Array.from(document.images).map(function (i) {
    return { src: i.getAttribute('src'), url: i.currentSrc, complete: i.complete,
             naturalWidth: i.naturalWidth, naturalHeight: i.naturalHeight,
             width: i.getAttribute('width'), height: i.getAttribute('height') };
  });
  const links = Array.from(document.querySelectorAll('a[href]')).map(function (a) {
    return { href: a.getAttribute('href'), url: a.href };
  });
  return JSON.stringify({ title: document.title, text: document.body.innerText,
                          images: images, links: links });
})()
)js";

// Pictures that did not load, or whose natural size is not the size their
// tag announces.
QStringList imageProblems(const QJsonObject& page) {
  QStringList problems;
  for (const auto& value : page["images"].toArray()) {
    const QJsonObject img = value.toObject();
    const QString src = img["src"].toString();
    const int w = img["naturalWidth"].toInt(), h = img["naturalHeight"].toInt();
    const int width = img["width"].toString().toInt(), height = img["height"].toString().toInt();
    // A picture chosen from srcset reports a size scaled to its slot: its
    // shape must be the announced one, give or take the pixels of rounding.
    const bool chosen = !img["url"].toString().endsWith(src.section('/', -1));
    if (!img["complete"].toBool() || w == 0)
      problems << src + " : not loaded (" + img["url"].toString() + ")";
    else if (chosen ? std::abs(double(height) - double(width) * h / w) > 2
                    : w != width || h != height)
      problems << QString("%1 : %2x%3 shown as %4x%5")
                      .arg(src)
                      .arg(w)
                      .arg(h)
                      .arg(img["width"].toString(), img["height"].toString());
  }
  return problems;
}

// Links that do not reach a file; the site's own index is outside the gallery.
QStringList linkProblems(const QJsonObject& page) {
  QStringList problems;
  for (const auto& value : page["links"].toArray()) {
    const QJsonObject link = value.toObject();
    const QString href = link["href"].toString();
    if (href.startsWith("famille_index.php"))
      continue;
    const QUrl url(link["url"].toString());
    if (!url.isLocalFile() || !url.fragment().isEmpty() || !QFileInfo(url.toLocalFile()).isFile())
      problems << href + " : no such file (" + url.toString() + ")";
  }
  return problems;
}

int count(const QJsonObject& page, const char* what) {
  return int(page[what].toArray().size());
}

class Browser : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(tmp.isValid());
    ASSERT_FALSE(cliPath().isEmpty()) << "no pixolane-cli: set PIXOLANE_CLI or build it";
    // Names a browser could get wrong: a blank, accents (percent-encoded UTF-8
    // in links, references in text), a '#' that would start a fragment, an
    // upper-case extension.
    const struct {
      const char* name;
      int w, h;
    } pictures[] = {
        {"plage du nord.jpg", 640, 480},
        {"Été à la plage.jpg", 300, 400},
        {"n°#3 & co.JPG", 500, 500},
        {"panorama.jpeg", 1200, 300},
    };
    for (const auto& p : pictures) {
      const QString path = tmp.path() + "/photos/" + QString::fromUtf8(p.name);
      drawJpeg(path, p.w, p.h);
      sources << path;
    }
  }

  // Loads the file in a view `width` pixels wide and returns what kInspect
  // reports; the view stays for `evaluate`.
  QJsonObject inspect(const QString& file, int width = 1024, const QString& fragment = {}) {
    view = std::make_unique<QWebEngineView>();
    view->resize(width, 800);
    view->show();
    QSignalSpy loaded(view.get(), &QWebEngineView::loadFinished);
    QUrl url = QUrl::fromLocalFile(file);
    if (!fragment.isEmpty())
      url.setFragment(fragment);
    view->load(url);
    if (!loaded.wait(60000)) {
      ADD_FAILURE() << "no loadFinished for " << file.toStdString();
      return {};
    }
    if (!loaded.first().first().toBool()) {
      ADD_FAILURE() << "loading failed: " << file.toStdString();
      return {};
    }
    return QJsonDocument::fromJson(evaluate(QString::fromLatin1(kInspect)).toString().toUtf8())
        .object();
  }

  // The value of a script run in the loaded page.
  QVariant evaluate(const QString& script) {
    QVariant result;
    bool answered = false;
    view->page()->runJavaScript(script, [&](const QVariant& value) {
      result = value;
      answered = true;
    });
    if (!QTest::qWaitFor([&] { return answered; }, 30000))
      ADD_FAILURE() << "no answer from the page's script";
    return result;
  }

  QTemporaryDir tmp;
  std::unique_ptr<QWebEngineView> view;
  QStringList sources;
};

}  // namespace

TEST_F(Browser, GalleryPagePicturesAndLinks) {
  const QString dest = tmp.path() + "/site";
  const auto r =
      runCli(QStringList{"-d", dest, "-n", "galerie", "--names", "--thumbs", "medium", "--quiet"} +
             sources);
  ASSERT_EQ(r.exitCode, 0) << r.errText().toStdString();
  const QString page = r.lastOutLine();
  ASSERT_TRUE(page.endsWith("/galerie.php"));
  // The page is a fragment for a PHP site; a browser given a .php file
  // offers it for download, so the same bytes are shown under an .html name.
  const QString html = dest + "/galerie-test.html";
  ASSERT_TRUE(QFile::copy(page, html));

  const QJsonObject shown = inspect(html);
  EXPECT_EQ(count(shown, "images"), sources.size());
  EXPECT_EQ(count(shown, "links"), sources.size() + 2);  // and the two "Retour"
  EXPECT_EQ(imageProblems(shown), QStringList());
  EXPECT_EQ(linkProblems(shown), QStringList());
  // The accented names read right under the pictures.
  for (const QString& source : sources)
    EXPECT_TRUE(shown["text"].toString().contains(QFileInfo(source).fileName()))
        << source.toStdString();
}

TEST_F(Browser, PreviewPagePictures) {
  const QString folder = tmp.path() + "/apercu";
  const auto r = runCli(QStringList{"--preview", "--preview-dir", folder, "-t", "Été", "--thumbs",
                                    "large", "--names", "--quiet"} +
                        sources);
  ASSERT_EQ(r.exitCode, 0) << r.errText().toStdString();
  ASSERT_EQ(r.lastOutLine(), folder + "/temp.html");

  const QJsonObject shown = inspect(folder + "/temp.html");
  EXPECT_EQ(count(shown, "images"), sources.size());
  EXPECT_EQ(imageProblems(shown), QStringList());
  EXPECT_EQ(linkProblems(shown), QStringList());
  EXPECT_EQ(shown["title"].toString(), "Été");  // the page declares its encoding
  EXPECT_TRUE(shown["text"].toString().contains("Été à la plage.jpg"));
}

TEST_F(Browser, StandalonePageOnAPhoneAndItsViewer) {
  const QString dest = tmp.path() + "/site";
  const auto r = runCli(QStringList{"-d", dest, "-n", "galerie", "-t", "Été", "--standalone",
                                    "--names", "--thumbs", "medium", "--quiet"} +
                        sources);
  ASSERT_EQ(r.exitCode, 0) << r.errText().toStdString();
  const QJsonObject shown = inspect(dest + "/galerie.html", 390);
  EXPECT_EQ(shown["title"].toString(), "Été");
  EXPECT_EQ(count(shown, "images"), sources.size());
  EXPECT_EQ(count(shown, "links"), sources.size());
  EXPECT_EQ(imageProblems(shown).join("\n").toStdString(), "");
  EXPECT_EQ(linkProblems(shown), QStringList());
  // Under the thumbnails, the names without their extension.
  EXPECT_TRUE(shown["text"].toString().contains("Été à la plage\n"));
  EXPECT_EQ(evaluate("document.documentElement.scrollWidth <= window.innerWidth").toBool(), true)
      << "the page scrolls sideways on a phone";

  // A real click on the second thumbnail opens the viewer on its picture.
  const QVariantList box =
      evaluate(
          "var r = document.querySelectorAll('.galerie img')[1].getBoundingClientRect();"
          "[r.x + r.width / 2, r.y + r.height / 2]")
          .toList();
  ASSERT_EQ(box.size(), 2);
  QWidget* input = view->focusProxy();
  QTest::mouseClick(input, Qt::LeftButton, {}, QPoint(box[0].toInt(), box[1].toInt()));
  // The picture shown, its caption and place, whether it loaded and holds the
  // focus, and the page's address.
  const QString state =
      "(function () { var v = document.querySelector('.visionneuse'), i = v.querySelector('img');"
      "  return [v.hidden, decodeURIComponent(i.src.replace(/.*\\//, '')),"
      "          v.querySelector('.legende').textContent, v.querySelector('.position').textContent,"
      "          i.complete && i.naturalWidth > 0, v.contains(document.activeElement),"
      "          location.hash].join('|'); })()";
  const auto stateIs = [&](const QString& expected) {
    return QTest::qWaitFor([&] { return evaluate(state).toString() == expected; }, 10000);
  };
  const auto shownAs = [&](int i) {
    const QString name = QFileInfo(sources[i]).fileName();
    return QString("false|%1|%2|%3 / 4|true|true|#%3")
        .arg(name, QFileInfo(sources[i]).completeBaseName())
        .arg(i + 1);
  };
  EXPECT_TRUE(stateIs(shownAs(1))) << evaluate(state).toString().toStdString();
  // → steps, Tab stays inside, Escape closes and gives the focus back to the
  // thumbnail of the picture last shown.
  QTest::keyClick(input, Qt::Key_Right);
  EXPECT_TRUE(stateIs(shownAs(2))) << evaluate(state).toString().toStdString();
  for (int i = 0; i < 4; ++i)
    QTest::keyClick(input, Qt::Key_Tab);
  EXPECT_TRUE(stateIs(shownAs(2)));
  QTest::keyClick(input, Qt::Key_Escape);
  EXPECT_TRUE(QTest::qWaitFor(
      [&] {
        return evaluate(
                   "!document.querySelector('.visionneuse') && "
                   "document.activeElement.getAttribute('href')")
                   .toString() == "picgalerie/n%C2%B0%233%20&%20co.JPG";
      },
      10000))
      << evaluate("document.activeElement.outerHTML").toString().toStdString();

  // The browser's Back closes the viewer and stays on the page.
  QTest::mouseClick(input, Qt::LeftButton, {}, QPoint(box[0].toInt(), box[1].toInt()));
  EXPECT_TRUE(stateIs(shownAs(1))) << evaluate(state).toString().toStdString();
  view->page()->triggerAction(QWebEnginePage::Back);
  EXPECT_TRUE(QTest::qWaitFor(
      [&] {
        return evaluate(
                   "!document.querySelector('.visionneuse') && location.hash === '' && "
                   "document.title")
                   .toString() == "Été";
      },
      10000));

  // "#3" opens picture 3; a swipe to the left steps on, to the right back,
  // and neither leaves the page.
  inspect(dest + "/galerie.html", 390, "3");
  EXPECT_TRUE(stateIs(shownAs(2))) << evaluate(state).toString().toStdString();
  static QPointingDevice* const finger = QTest::createTouchDevice();
  const auto swipe = [&](int fromX, int toX) {
    input = view->focusProxy();
    QTest::touchEvent(input, finger).press(0, QPoint(fromX, 400));
    QTest::touchEvent(input, finger).move(0, QPoint((fromX + toX) / 2, 402));
    QTest::touchEvent(input, finger).move(0, QPoint(toX, 404));
    QTest::touchEvent(input, finger).release(0, QPoint(toX, 404));
  };
  swipe(300, 60);
  EXPECT_TRUE(stateIs(shownAs(3))) << evaluate(state).toString().toStdString();
  swipe(60, 300);
  swipe(60, 300);
  EXPECT_TRUE(stateIs(shownAs(1))) << evaluate(state).toString().toStdString();
  EXPECT_TRUE(view->url().path().endsWith("/galerie.html"));
}

TEST_F(Browser, TheProbeSeesMissingPicturesWrongSizesAndDeadLinks) {
  // Guards the two tests above against passing on a page the probe cannot read.
  drawJpeg(tmp.path() + "/vrai.jpg", 64, 48);
  const QString page = tmp.path() + "/controle.html";
  QFile file(page);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(
      "<html><body>"
      "<a href=\"vrai.jpg\"><img src=\"vrai.jpg\" width=\"64\" height=\"48\"></a>"
      "<a href=\"absent.jpg\"><img src=\"absent.jpg\" width=\"10\" height=\"10\"></a>"
      "<img src=\"vrai.jpg\" width=\"48\" height=\"64\">"
      "<a href=\"famille_index.php?choix=4\">Retour</a>"
      "</body></html>");
  file.close();
  const QJsonObject shown = inspect(page);
  EXPECT_EQ(count(shown, "images"), 3);
  const QStringList images = imageProblems(shown);
  ASSERT_EQ(images.size(), 2) << images.join('\n').toStdString();
  EXPECT_TRUE(images[0].startsWith("absent.jpg : not loaded"));
  EXPECT_EQ(images[1], "vrai.jpg : 64x48 shown as 48x64");
  const QStringList links = linkProblems(shown);
  ASSERT_EQ(links.size(), 1);
  EXPECT_TRUE(links[0].startsWith("absent.jpg : no such file"));
}
