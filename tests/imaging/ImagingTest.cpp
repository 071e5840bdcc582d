// TestPictures.h brings libvips, which must come before Qt's keyword macros.
#include "imaging/TestPictures.h"

#include <gtest/gtest.h>

#include "imaging/CImageInfo.h"
#include "imaging/Imaging.h"
#include "imaging/JpegCodec.h"
#include "imaging/Pixels.h"
#include "imaging/WebThumbnail.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <atomic>
#include <cmath>
#include <cstring>
#include <thread>

namespace pixolane::imaging {
namespace {

using namespace pixolane::imaging::test;
using vips::VImage;

class ImagingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    initVips();
  }
  QString path(const QString& name) const { return dir_.filePath(name); }

  // Loads, draws and writes `source` at `inner`; returns the written file's bytes.
  QByteArray drawAndWrite(const QString& source, PixelSize inner, int quality = 90,
                          int progressive = 0) {
    const Picture picture = Picture::LoadPicture(source);
    EXPECT_TRUE(picture.ok()) << picture.error().toStdString();
    Scratch scratch;
    QString error;
    EXPECT_TRUE(PaintPicture(picture, inner, scratch, &error)) << error.toStdString();
    const QString out = path("out.jpg");
    EXPECT_EQ(DIWriteJpg(scratch, out, quality, progressive, &error), 1) << error.toStdString();
    return readAll(out);
  }

  QTemporaryDir dir_;
};

// Mean of one band over a rectangle of a written picture.
double meanOf(const VImage& image, int band, int left, int top, int width, int height) {
  return image.extract_band(band).crop(left, top, width, height).avg();
}

TEST_F(ImagingTest, LoadPictureReadsTheUprightSizeFromTheHeader) {
  saveJpeg(detailedPicture(400, 300), path("plain.jpg"));
  VImage stored = detailedPicture(400, 300).copy();
  stored.set(VIPS_META_ORIENTATION, 6);
  saveJpeg(stored, path("turned.jpg"));

  const Picture plain = Picture::LoadPicture(path("plain.jpg"));
  ASSERT_TRUE(plain.ok());
  EXPECT_EQ(plain.width(), 400);
  EXPECT_EQ(plain.height(), 300);
  EXPECT_DOUBLE_EQ(plain.widthTwips(), 6000);

  const Picture turned = Picture::LoadPicture(path("turned.jpg"));
  ASSERT_TRUE(turned.ok());
  EXPECT_EQ(turned.width(), 300);
  EXPECT_EQ(turned.height(), 400);
}

TEST_F(ImagingTest, BadSourcesFailWithAFrenchMessage) {
  QFile text(path("notes.jpg"));
  ASSERT_TRUE(text.open(QIODevice::WriteOnly));
  text.write("Ceci n'est pas une photo.\n");
  text.close();
  QFile empty(path("empty.jpg"));
  ASSERT_TRUE(empty.open(QIODevice::WriteOnly));
  empty.close();

  for (const QString& name :
       {QString("notes.jpg"), QString("empty.jpg"), QString("absent.jpg"), QString()}) {
    SCOPED_TRACE(name.toStdString());
    const Picture picture = Picture::LoadPicture(name.isEmpty() ? dir_.path() : path(name));
    EXPECT_FALSE(picture.ok());
    EXPECT_TRUE(picture.error().startsWith("Impossible de lire l'image"))
        << picture.error().toStdString();
    EXPECT_EQ(picture.width(), 0);
    Scratch scratch;
    QString error;
    EXPECT_FALSE(PaintPicture(picture, {80, 60}, scratch, &error));
    EXPECT_TRUE(scratch.empty());
    EXPECT_FALSE(error.isEmpty());
  }
}

// A source cut short or corrupt is an error, never a half-grey picture; a
// JPEG whose data is whole but whose end marker is missing still draws.
TEST_F(ImagingTest, DamagedSourcesFailAndAMissingEndMarkerDoesNot) {
  const VImage picture = detailedPicture(600, 400);
  saveJpeg(picture, path("baseline.jpg"));
  picture.jpegsave(QFile::encodeName(path("progressive.jpg")).constData(),
                   VImage::option()->set("interlace", true));
  picture.pngsave(QFile::encodeName(path("whole.png")).constData());
  const QByteArray baseline = readAll(path("baseline.jpg"));
  const QByteArray progressive = readAll(path("progressive.jpg"));
  const QByteArray png = readAll(path("whole.png"));
  QByteArray corrupt = baseline;
  // All ones for 512 bits: no Huffman code is that long.
  corrupt.replace(corrupt.size() / 2, 128, QByteArray(64, '\0').replace('\0', "\xFF\x00"));
  // A few bytes may claim a progressive picture of 60,000 pixels a side,
  // which libjpeg would hold whole in memory: refused before it is taken.
  QByteArray huge = progressive;
  const qsizetype frame = huge.indexOf("\xFF\xC2");
  ASSERT_GT(frame, 0);
  huge.replace(frame + 5, 4, QByteArray("\xEA\x60\xEA\x60", 4));
  struct Case {
    const char* name;
    QByteArray bytes;
    bool draws;
    const char* reason = "image incomplète ou endommagée";
  } cases[] = {{"huge_progressive.jpg", huge, false, "image progressive trop grande"},
               {"cut_baseline.jpg", baseline.left(baseline.size() * 6 / 10), false},
               {"cut_progressive.jpg", progressive.left(progressive.size() * 6 / 10), false},
               {"corrupt_middle.jpg", corrupt, false},
               {"cut.png", png.left(png.size() * 6 / 10), false},
               {"no_end_marker.jpg", baseline.chopped(2), true},
               {"progressive_no_end_marker.jpg", progressive.chopped(2), true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    QFile file(path(c.name));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(c.bytes);
    file.close();
    const Picture source = Picture::LoadPicture(path(c.name));
    ASSERT_TRUE(source.ok()) << source.error().toStdString();
    Scratch full, thumbnail;
    QString error;
    EXPECT_EQ(PaintPictureTwice(source, {300, 200}, full, {60, 40}, thumbnail, &error), c.draws);
    EXPECT_EQ(full.empty(), !c.draws);
    EXPECT_EQ(thumbnail.empty(), !c.draws);
    EXPECT_EQ(error.contains(QString::fromUtf8(c.reason)), !c.draws) << error.toStdString();
  }
}

// Output sizes land exactly on the computed surface, whatever the scale,
// direction and loader.
TEST_F(ImagingTest, DrawingHasExactlyTheRequestedSize) {
  saveJpeg(detailedPicture(3072, 2304), path("big.jpg"));
  saveJpeg(detailedPicture(37, 23), path("small.jpg"));
  detailedPicture(301, 199).pngsave(QFile::encodeName(path("odd.png")).constData());

  struct Case {
    const char* source;
    PixelSize inner;
  } cases[] = {
      {"big.jpg", {800, 599}},   {"big.jpg", {140, 104}},   {"big.jpg", {600, 800}},
      {"big.jpg", {1, 1}},       {"big.jpg", {3072, 2304}}, {"small.jpg", {800, 599}},
      {"small.jpg", {449, 600}}, {"odd.png", {100, 65}},    {"odd.png", {299, 201}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.source) + " " + std::to_string(c.inner.width) + "x" +
                 std::to_string(c.inner.height));
    const QByteArray written = drawAndWrite(path(c.source), c.inner);
    CImageInfo info;
    const QString out = path("out.jpg");
    ASSERT_EQ(info.ReadImageInfo(out), CImageInfo::Status::Ok);
    EXPECT_EQ(info.ImageType(), CImageInfo::Jpeg);
    EXPECT_EQ(info.Width(), c.inner.width);
    EXPECT_EQ(info.Height(), c.inner.height);
    EXPECT_EQ(info.Depth(), 24);
  }
}

TEST_F(ImagingTest, ProgressiveFlagChoosesTheFrameType) {
  saveJpeg(detailedPicture(320, 240), path("src.jpg"));
  const QByteArray progressive = drawAndWrite(path("src.jpg"), {160, 119}, 80, 1);
  EXPECT_TRUE(hasMarker(progressive, 0xC2));
  EXPECT_FALSE(hasMarker(progressive, 0xC0));
  for (int flag : {0, 2, -1}) {
    const QByteArray baseline = drawAndWrite(path("src.jpg"), {160, 119}, 80, flag);
    EXPECT_TRUE(hasMarker(baseline, 0xC0)) << flag;
    EXPECT_FALSE(hasMarker(baseline, 0xC2)) << flag;
  }
}

// libjpeg's scaling of the standard tables: the first luminance entry is 16
// scaled by 5000/Q below 50 and by 200-2Q from 50, clamped to 1..255.
int expectedFirstQuant(int quality) {
  const int scale = quality < 50 ? 5000 / quality : 200 - 2 * quality;
  return std::clamp((16 * scale + 50) / 100, 1, 255);
}

TEST_F(ImagingTest, QualityIsAppliedAndClamped) {
  saveJpeg(detailedPicture(640, 480), path("src.jpg"));
  const Picture picture = Picture::LoadPicture(path("src.jpg"));
  Scratch scratch;
  ASSERT_TRUE(PaintPicture(picture, {640, 480}, scratch));

  const QByteArray q100 = encodeJpeg(scratch, 100, 0);
  const QByteArray q30 = encodeJpeg(scratch, 30, 0);
  EXPECT_GT(q100.size(), 2 * q30.size());
  EXPECT_EQ(firstLuminanceQuant(q100), expectedFirstQuant(100));
  EXPECT_EQ(firstLuminanceQuant(q30), expectedFirstQuant(30));
  EXPECT_EQ(encodeJpeg(scratch, 0, 0), encodeJpeg(scratch, 1, 0));
  EXPECT_EQ(encodeJpeg(scratch, -20, 0), encodeJpeg(scratch, 1, 0));
  EXPECT_EQ(encodeJpeg(scratch, 250, 1), encodeJpeg(scratch, 100, 1));

  // The same figures as an outside tool estimates them, when it is installed.
  if (QFile::exists("/usr/bin/identify")) {
    for (int quality : {100, 30}) {
      const QString out = path(QString("q%1.jpg").arg(quality));
      ASSERT_EQ(DIWriteJpg(scratch, out, quality, 0), 1);
      QProcess identify;
      identify.start("/usr/bin/identify", {"-format", "%Q", out});
      ASSERT_TRUE(identify.waitForFinished(30000));
      EXPECT_EQ(identify.readAllStandardOutput().trimmed().toInt(), quality);
    }
  }
}

TEST_F(ImagingTest, WebThumbnailIsTwiceTheBoxProgressiveAtWebQuality) {
  saveJpeg(detailedPicture(1200, 900), path("src.jpg"));
  const Picture picture = Picture::LoadPicture(path("src.jpg"));
  Scratch scratch;
  QString error;
  ASSERT_TRUE(writeWebThumbnail(picture, 100, 100, scratch, path("web.jpg"), &error))
      << error.toStdString();
  const QByteArray web = readAll(path("web.jpg"));
  CImageInfo info;
  ASSERT_EQ(info.ReadImageInfo(path("web.jpg")), CImageInfo::Status::Ok);
  // Twice the box, as the thumbnails are sized: 200 x 149 beside 100 x 74.
  EXPECT_EQ((PixelSize{info.Width(), info.Height()}), (PixelSize{200, 149}));
  EXPECT_EQ(webThumbnailSize(picture, 100, 100), (PixelSize{200, 149}));
  EXPECT_TRUE(hasMarker(web, 0xC2));
  EXPECT_EQ(firstLuminanceQuant(web), expectedFirstQuant(kWebThumbnailQuality));
  // A source that cannot be drawn leaves no file.
  EXPECT_FALSE(writeWebThumbnail(Picture::LoadPicture(path("absent.jpg")), 100, 100, scratch,
                                 path("none.jpg"), &error));
  EXPECT_FALSE(QFile::exists(path("none.jpg")));
}

TEST_F(ImagingTest, ExifOrientationSixComesOutUpright) {
  // Stored 400 x 300: left half white, right half black. Orientation 6 means
  // "turn 90 degrees clockwise to show", so the white half ends up on top.
  VImage white = flatPicture(200, 300, {255, 255, 255});
  VImage black = flatPicture(200, 300, {0, 0, 0});
  VImage stored = white.insert(black, 200, 0, VImage::option()->set("expand", true)).copy();
  stored.set(VIPS_META_ORIENTATION, 6);
  saveJpeg(stored, path("turned.jpg"));

  const QByteArray written = drawAndWrite(path("turned.jpg"), {150, 200});
  const VImage out = loadFile(path("out.jpg"));
  ASSERT_EQ(out.width(), 150);
  ASSERT_EQ(out.height(), 200);
  EXPECT_GT(meanOf(out, 0, 0, 0, 150, 90), 240);
  EXPECT_LT(meanOf(out, 0, 0, 110, 150, 90), 15);
  EXPECT_EQ(out.get_typeof(VIPS_META_EXIF_NAME), 0u);
  EXPECT_EQ(written.indexOf("Exif"), -1);

  // A square photograph turned by its orientation is drawn at the size asked.
  VImage square = stored.crop(50, 0, 300, 300).copy();
  square.set(VIPS_META_ORIENTATION, 6);
  saveJpeg(square, path("square.jpg"));
  Scratch drawn;
  ASSERT_TRUE(PaintPicture(Picture::LoadPicture(path("square.jpg")), {150, 200}, drawn));
  EXPECT_EQ(drawn.size(), (PixelSize{150, 200}));
}

// A picture whose numbers are in a wide-gamut space must be converted, not
// merely untagged: the same colour then looks the same on the web.
TEST_F(ImagingTest, EmbeddedProfilesAreConvertedToPlainSrgb) {
  const std::vector<double> colour{200, 100, 50};
  struct Case {
    const char* name;
    std::string profile;
    double tolerance;
  };
  std::vector<Case> cases{{"srgb", "srgb", 1}, {"p3", "p3", 3}, {"cmyk", "cmyk", 8}};
  const char* a98 = "/usr/share/color/icc/ghostscript/a98.icc";
  if (QFile::exists(a98)) {
    cases.push_back({"adobe_rgb", a98, 3});
  }
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const VImage tagged =
        flatPicture(64, 48, colour)
            .icc_transform(c.profile.c_str(), VImage::option()->set("input_profile", "srgb"));
    ASSERT_NE(tagged.get_typeof(VIPS_META_ICC_NAME), 0u);
    const QString source = path(QString("%1.jpg").arg(c.name));
    saveJpeg(tagged, source, 98);

    drawAndWrite(source, {32, 24}, 98);
    const VImage out = loadFile(path("out.jpg"));
    EXPECT_EQ(out.bands(), 3);
    EXPECT_EQ(out.get_typeof(VIPS_META_ICC_NAME), 0u);
    const std::vector<double> pixel = out.getpoint(16, 12);
    for (int band = 0; band < 3; ++band) {
      EXPECT_NEAR(pixel[band], colour[band], c.tolerance) << "band " << band;
    }
  }
}

TEST_F(ImagingTest, GreyscaleStaysGrey) {
  saveJpeg(flatPicture(120, 90, {77}), path("grey.jpg"));
  const QByteArray written = drawAndWrite(path("grey.jpg"), {60, 45});
  CImageInfo info;
  ASSERT_EQ(info.ReadImageInfo(path("out.jpg")), CImageInfo::Status::Ok);
  EXPECT_EQ(info.Depth(), 8);
  const VImage out = loadFile(path("out.jpg"));
  EXPECT_EQ(out.bands(), 1);
  EXPECT_NEAR(out.avg(), 77, 2);
}

TEST_F(ImagingTest, TransparentAndSixteenBitSourcesBecomeEightBitJpegs) {
  // Fully transparent black: laid on white, not shown black.
  flatPicture(40, 30, {0, 0, 0, 0})
      .copy(VImage::option()->set("interpretation", VIPS_INTERPRETATION_sRGB))
      .pngsave(QFile::encodeName(path("clear.png")).constData());
  (flatPicture(40, 30, {100}).cast(VIPS_FORMAT_USHORT) * 257)
      .cast(VIPS_FORMAT_USHORT)
      .copy(VImage::option()->set("interpretation", VIPS_INTERPRETATION_GREY16))
      .pngsave(QFile::encodeName(path("deep.png")).constData());

  // The same at 16 bits, where white is 65535.
  (flatPicture(40, 30, {0, 0, 0, 0}).cast(VIPS_FORMAT_USHORT))
      .copy(VImage::option()->set("interpretation", VIPS_INTERPRETATION_RGB16))
      .pngsave(QFile::encodeName(path("clear16.png")).constData());

  VImage out;
  for (const char* name : {"clear.png", "clear16.png"}) {
    SCOPED_TRACE(name);
    drawAndWrite(path(name), {20, 15});
    out = loadFile(path("out.jpg"));
    EXPECT_EQ(out.bands(), 3);
    EXPECT_GT(out.min(), 250);
  }

  drawAndWrite(path("deep.png"), {20, 15});
  out = loadFile(path("out.jpg"));
  EXPECT_EQ(out.bands(), 1);
  EXPECT_NEAR(out.avg(), 100, 2);
}

TEST_F(ImagingTest, LargeJpegIsDecodedScaledDown) {
  saveJpeg(flatPicture(6000, 4000, {90, 120, 150}), path("24mp.jpg"));
  const Picture picture = Picture::LoadPicture(path("24mp.jpg"));
  ASSERT_TRUE(picture.ok());
  const PixelSize thumb =
      proportionalSurfaceSize(picture.widthTwips(), picture.heightTwips(), 140, 140);
  Scratch scratch;
  ASSERT_TRUE(PaintPicture(picture, thumb, scratch));
  EXPECT_EQ(scratch.size(), thumb);
  // libjpeg's 1/8 scaling: 750 x 500 pixels decoded instead of 24 million.
  EXPECT_EQ(scratch.decodedSize(), (PixelSize{750, 500}));

  Scratch full;
  ASSERT_TRUE(PaintPicture(picture, {800, 533}, full));
  // Scaled on load only as far as leaves the resampler a shrink of 2.
  EXPECT_EQ(full.decodedSize(), (PixelSize{3000, 2000}));
}

// PSNR of a drawing against `truth`, in dB.
double psnr(const Pixels& drawn, const Pixels& truth) {
  double sum = 0;
  for (std::size_t i = 0; i < truth.data.size(); ++i) {
    const double d = double(drawn.data.at(i)) - double(truth.data[i]);
    sum += d * d;
  }
  return 10.0 * std::log10(255.0 * 255.0 * double(truth.data.size()) / std::max(sum, 1e-9));
}

// libjpeg's scaled IDCT is a crude filter: a detailed photo reduced 4.8 times
// keeps, within 0.3 dB, what a full-size decode through the same resampler
// keeps of the source's own pixels (from the 1/4 decode, which covers the
// drawing but leaves the resampler a shrink of 1.2, it came out 11 dB short).
TEST_F(ImagingTest, ScaledDecodeKeepsTheDetailOfAFullSizeDecode) {
  const VImage source = detailedPicture(1920, 1080);
  saveJpeg(source, path("detail.jpg"));
  const PixelSize size{400, 225};
  Pixels original = Pixels::sized(1920, 1080, 3);
  size_t bytes = 0;
  void* memory = source.write_to_memory(&bytes);
  ASSERT_EQ(bytes, original.data.size());
  std::memcpy(original.data.data(), memory, bytes);
  g_free(memory);
  const Pixels truth = resampleLanczos3(original, size.width, size.height);

  Scratch drawn;
  ASSERT_TRUE(PaintPicture(Picture::LoadPicture(path("detail.jpg")), size, drawn));
  // The drawing again, from the scale the engine decoded at.
  const int shrink = 1920 / drawn.decodedSize().width;
  Pixels atScale, full;
  ASSERT_EQ(decodeJpegFile(path("detail.jpg"), shrink, atScale), JpegDecode::Done);
  ASSERT_EQ(decodeJpegFile(path("detail.jpg"), 1, full), JpegDecode::Done);
  EXPECT_GE(psnr(resampleLanczos3(atScale, size.width, size.height), truth),
            psnr(resampleLanczos3(full, size.width, size.height), truth) - 0.3)
      << "decoded at 1/" << shrink;
}

TEST_F(ImagingTest, PaintPictureTwiceIsDeterministicAndMatchesTheSizes) {
  saveJpeg(detailedPicture(2000, 1500), path("src.jpg"));
  const Picture picture = Picture::LoadPicture(path("src.jpg"));
  Scratch a1, a2, b1, b2;
  QString error;
  ASSERT_TRUE(PaintPictureTwice(picture, {800, 599}, a1, {140, 104}, a2, &error));
  ASSERT_TRUE(PaintPictureTwice(picture, {800, 599}, b1, {140, 104}, b2, &error));
  EXPECT_EQ(a1.size(), (PixelSize{800, 599}));
  EXPECT_EQ(a2.size(), (PixelSize{140, 104}));
  EXPECT_EQ(encodeJpeg(a1, 90, 0), encodeJpeg(b1, 90, 0));
  EXPECT_EQ(encodeJpeg(a2, 100, 1), encodeJpeg(b2, 100, 1));
}

TEST_F(ImagingTest, ReleaseFreesOnlyThatScratch) {
  saveJpeg(detailedPicture(100, 80), path("src.jpg"));
  Scratch scratch;
  ASSERT_TRUE(PaintPicture(Picture::LoadPicture(path("src.jpg")), {50, 40}, scratch));
  Scratch copy = scratch;
  scratch.release();
  EXPECT_TRUE(scratch.empty());
  EXPECT_EQ(scratch.size(), (PixelSize{}));
  EXPECT_EQ(copy.size(), (PixelSize{50, 40}));
  QString error;
  EXPECT_EQ(DIWriteJpg(scratch, path("none.jpg"), 90, 0, &error), 0);
  EXPECT_FALSE(error.isEmpty());
  EXPECT_FALSE(QFile::exists(path("none.jpg")));
}

TEST_F(ImagingTest, WriteReplacesAnExistingFileAndLeavesNoTemporaryFile) {
  saveJpeg(detailedPicture(200, 150), path("src.jpg"));
  QDir().mkpath(path("pic"));
  const QString out = path("pic/photo.jpg");
  QFile old(out);
  ASSERT_TRUE(old.open(QIODevice::WriteOnly));
  old.write("old contents");
  old.close();

  Scratch scratch;
  ASSERT_TRUE(PaintPicture(Picture::LoadPicture(path("src.jpg")), {100, 75}, scratch));
  ASSERT_EQ(DIWriteJpg(scratch, out, 75, 1), 1);
  EXPECT_EQ(readAll(out), encodeJpeg(scratch, 75, 1));
  EXPECT_EQ(QDir(path("pic")).entryList(QDir::Files | QDir::Hidden), QStringList{"photo.jpg"});
}

// A path under a regular file cannot be created, even by root.
TEST_F(ImagingTest, FailedWriteReturnsZeroAndLeavesNothing) {
  saveJpeg(detailedPicture(200, 150), path("src.jpg"));
  Scratch scratch;
  ASSERT_TRUE(PaintPicture(Picture::LoadPicture(path("src.jpg")), {100, 75}, scratch));
  QFile blocker(path("pic"));
  ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
  blocker.close();
  const QStringList before = QDir(dir_.path()).entryList(QDir::AllEntries | QDir::Hidden);

  const std::pair<QString, QString> cases[] = {
      {path("pic/photo.jpg"), "n'est pas un dossier"},
      {path("missing/photo.jpg"), "introuvable"},
  };
  for (const auto& [destination, reason] : cases) {
    QString error;
    EXPECT_EQ(DIWriteJpg(scratch, destination, 90, 0, &error), 0);
    EXPECT_TRUE(error.startsWith("Impossible d'écrire")) << error.toStdString();
    EXPECT_TRUE(error.endsWith(reason)) << error.toStdString();
    EXPECT_FALSE(QFile::exists(destination));
  }
  EXPECT_EQ(QDir(dir_.path()).entryList(QDir::AllEntries | QDir::Hidden), before);
}

TEST_F(ImagingTest, WritersOnSeveralThreadsDoNotInterfere) {
  constexpr int kThreads = 4;
  for (int t = 0; t < kThreads; ++t) {
    saveJpeg(detailedPicture(400 + 10 * t, 300), path(QString("src%1.jpg").arg(t)));
  }
  std::atomic<int> written{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      for (int round = 0; round < 3; ++round) {
        const Picture picture = Picture::LoadPicture(path(QString("src%1.jpg").arg(t)));
        Scratch big, thumb;
        if (PaintPictureTwice(picture, {200 + t, 150}, big, {70, 52}, thumb) &&
            DIWriteJpg(big, path(QString("big%1.jpg").arg(t)), 85, t % 2) == 1 &&
            DIWriteJpg(thumb, path(QString("thumb%1.jpg").arg(t)), 100, 0) == 1) {
          ++written;
        }
      }
    });
  }
  for (auto& thread : threads) {
    thread.join();
  }
  EXPECT_EQ(written.load(), 3 * kThreads);
  for (int t = 0; t < kThreads; ++t) {
    CImageInfo info;
    ASSERT_EQ(info.ReadImageInfo(path(QString("big%1.jpg").arg(t))), CImageInfo::Status::Ok);
    EXPECT_EQ(info.Width(), 200 + t);
    EXPECT_EQ(info.Height(), 150);
  }
}

TEST_F(ImagingTest, DecodeAndDisplayGivePackedRgb) {
  saveJpeg(flatPicture(90, 60, {10, 20, 30}), path("colour.jpg"));
  saveJpeg(flatPicture(90, 60, {128}), path("grey.jpg"));
  for (const char* name : {"colour.jpg", "grey.jpg"}) {
    SCOPED_TRACE(name);
    const RgbImage decoded = decodeRgb(readAll(path(name)));
    ASSERT_FALSE(decoded.isNull());
    EXPECT_EQ(decoded.width, 90);
    EXPECT_EQ(decoded.height, 60);
    EXPECT_EQ(decoded.rgb.size(), 90 * 60 * 3);
  }
  QString error;
  EXPECT_TRUE(decodeRgb(QByteArray("not a picture"), &error).isNull());
  EXPECT_FALSE(error.isEmpty());

  VImage tall = detailedPicture(800, 600).copy();
  tall.set(VIPS_META_ORIENTATION, 6);
  saveJpeg(tall, path("tall.jpg"));
  PixelSize full;
  const RgbImage shown = loadForDisplay(path("tall.jpg"), 241, 233, &full);
  EXPECT_EQ(full, (PixelSize{600, 800}));
  EXPECT_EQ(shown.width, 175);
  EXPECT_EQ(shown.height, 233);
  EXPECT_EQ(shown.rgb.size(), 175 * 233 * 3);

  const RgbImage small = loadForDisplay(path("colour.jpg"), 241, 233, &full);
  EXPECT_EQ(small.width, 90);
  EXPECT_EQ(small.height, 60);
  EXPECT_TRUE(loadForDisplay(path("absent.jpg"), 241, 233, &full, &error).isNull());
  EXPECT_EQ(full, (PixelSize{}));
}

}  // namespace
}  // namespace pixolane::imaging
