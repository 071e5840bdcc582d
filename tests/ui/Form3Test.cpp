#include "UiSupport.h"
#include "ui/Form3.h"

namespace pixolane::ui {
namespace {

using namespace pixolane::job;
using namespace pixolane::run;

TEST(Form3Fit, LandscapeTakesTheWidthOtherwiseTheHeight) {
  const struct {
    QSize picture, drawn;
  } cases[] = {
      {{640, 480}, {241, 181}},  // 180.75
      {{480, 640}, {175, 233}},  // 174.75
      {{100, 100}, {233, 233}},  // square counts as portrait
      {{4000, 100}, {241, 6}},   // 6.025
      {{3, 466}, {2, 233}},      // 1.5 -> 2
      {{5, 466}, {2, 233}},      // 2.5 -> 2: halves go to even
      {{964, 2}, {241, 0}},      // 0.5 -> 0
  };
  for (const auto& c : cases)
    EXPECT_EQ(fitPicture(c.picture), c.drawn) << c.picture.width() << "x" << c.picture.height();
  EXPECT_EQ(pictureSizeText({640, 480}), "(640x480)");
}

TEST(Form3Fit, ShownPixelsDoNotDependOnTheDecoderBuffer) {
  imaging::RgbImage rgb;
  rgb.width = 2;
  rgb.height = 1;
  rgb.rgb = QByteArray("\xff\x00\x00\x00\x00\xff", 6);
  const QImage image = toQImage(rgb);
  rgb.rgb.fill('\0');
  rgb.rgb.squeeze();
  ASSERT_EQ(image.size(), QSize(2, 1));
  EXPECT_EQ(image.pixelColor(0, 0), QColor(Qt::red));
  EXPECT_EQ(image.pixelColor(1, 0), QColor(Qt::blue));
  rgb.rgb.truncate(3);  // short buffer: no image rather than a read past its end
  EXPECT_TRUE(toQImage(rgb).isNull());
}

TEST(Form3Window, ShowsThePictureUprightFittedAndNamed) {
  QTemporaryDir dir;
  const QString landscape = dir.filePath("paysage.jpg");
  const QString turned = dir.filePath("tourne.jpg");
  test::makeJpeg(landscape, "640x480", "gradient:red-blue");
  // Stored 640 x 480, shown upright as 480 x 640.
  test::makeJpeg(turned, "640x480", "gradient:red-blue");
  ASSERT_EQ(
      QProcess::execute("exiftool", {"-q", "-n", "-Orientation=6", "-overwrite_original", turned}),
      0);
  QFile bad(dir.filePath("abime.jpg"));
  ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
  bad.write("pas une image");
  bad.close();

  Form3 window;
  ASSERT_TRUE(window.showPicture(landscape));
  EXPECT_EQ(window.windowTitle(), "paysage.jpg");
  EXPECT_EQ(window.size(), QSize(241, 181));
  EXPECT_EQ(window.drawn().size(), QSize(241, 181));
  EXPECT_EQ(window.pictureSize(), QSize(640, 480));

  ASSERT_TRUE(window.showPicture(turned));
  EXPECT_EQ(window.pictureSize(), QSize(480, 640));
  EXPECT_EQ(window.size(), QSize(175, 233));

  // A picture decoded at exactly the drawn size: what is shown is still its
  // pixels once the decoder's buffer is gone.
  const QString red = dir.filePath("rouge.jpg");
  test::makeJpeg(red, "233x233", "xc:red");
  ASSERT_TRUE(window.showPicture(red));
  const QImage shown = window.grab().toImage();
  for (const QPoint p : {QPoint(116, 116), QPoint(5, 200), QPoint(200, 60)}) {
    const QColor c = shown.pixelColor(p);
    EXPECT_TRUE(c.red() > 200 && c.green() < 60 && c.blue() < 60) << p.x() << "," << p.y();
  }

  EXPECT_FALSE(window.showPicture(bad.fileName()));
  EXPECT_EQ(window.windowTitle(), "abime.jpg");
  EXPECT_FALSE(window.failure().isEmpty());
  EXPECT_TRUE(window.drawn().isNull());
  window.show();
  EXPECT_FALSE(window.grab().isNull());  // paints the message without crashing
}

}  // namespace
}  // namespace pixolane::ui
