#include "UiSupport.h"
#include "ui/Form3.h"

namespace pixolane {
namespace {

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

  EXPECT_FALSE(window.showPicture(bad.fileName()));
  EXPECT_EQ(window.windowTitle(), "abime.jpg");
  EXPECT_FALSE(window.failure().isEmpty());
  EXPECT_TRUE(window.drawn().isNull());
  window.show();
  EXPECT_FALSE(window.grab().isNull());  // paints the message without crashing
}

}  // namespace
}  // namespace pixolane
