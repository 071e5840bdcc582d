// Dates taken and the private metadata of photographs, on files written by
// exiftool, which knows every tag a camera or an editor leaves.
#include "imaging/TestPictures.h"

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include "imaging/Caption.h"
#include "imaging/ExifDate.h"
#include "imaging/StripPrivate.h"

namespace pixolane::imaging {
namespace {

using test::readAll;

bool exiftool(const QStringList& args) {
  return QProcess::execute(QStringLiteral("exiftool"), QStringList{"-q", "-q"} + args) == 0;
}

QJsonObject tagsOf(const QString& path) {
  QProcess p;
  p.start(QStringLiteral("exiftool"), {"-j", "-a", "-G1", "-n", path});
  p.waitForFinished(60000);
  return QJsonDocument::fromJson(p.readAllStandardOutput()).array().first().toObject();
}

TEST(DateTaken, DatedFirstThenUndatedTiesInReadingOrder) {
  QTemporaryDir dir;
  const struct {
    const char* name;
    const char* date;    // DateTimeOriginal, "" for none
    const char* subSec;  // SubSecTimeOriginal, "" for none
  } rows[] = {
      {"b.jpg", "2023:07:14 10:00:00", "5"},    // half a second
      {"d10.jpg", "", ""},                      // no date
      {"a.jpg", "2023:07:14 10:00:00", "25"},   // a quarter: before b
      {"tie2.jpg", "2022:01:01 08:00:00", ""},  // same moment as tie1
      {"e.jpg", "0000:00:00 00:00:00", ""},     // a camera without a clock
      {"z.jpg", "2023:07:14 10:00:00", ""},     // the whole second: before a
      {"tie1.jpg", "2022:01:01 08:00:00", ""},
      {"d9.jpg", "", ""},
      {"c.jpg", "2021:12:31 23:59:59", "999"},
      {"texte.jpg", "", ""},  // not a picture at all
  };
  QStringList args, list;
  for (const auto& row : rows) {
    const QString path = dir.filePath(row.name);
    list << path;
    if (QString(row.name) == "texte.jpg") {
      QFile f(path);
      ASSERT_TRUE(f.open(QIODevice::WriteOnly));
      f.write("pas une image");
      continue;
    }
    test::saveJpeg(test::flatPicture(8, 8, {90, 90, 90}), path);
    if (*row.date) {
      if (!args.isEmpty())
        args << "-execute"
             << "-q"
             << "-q";
      args << QStringLiteral("-DateTimeOriginal#=%1").arg(row.date);  // as written, zeros too
      if (*row.subSec)
        args << QStringLiteral("-SubSecTimeOriginal=%1").arg(row.subSec);
      args << "-overwrite_original" << path;
    }
  }
  ASSERT_TRUE(exiftool(args));
  QStringList names;
  for (const QString& path : orderByDateTaken(list))
    names << QFileInfo(path).fileName();
  EXPECT_EQ(names.join(' '),
            "c.jpg tie1.jpg tie2.jpg z.jpg a.jpg b.jpg d9.jpg d10.jpg e.jpg texte.jpg");
}

TEST(Caption, TheThreeHomesInOrderCharsetsTrimmedAndNeverACameraPlaceholder) {
  QTemporaryDir dir;
  const struct {
    const char* name;
    QStringList tags;  // exiftool's arguments
    const char* caption;
    QDate taken;
  } cases[] = {
      {"rien", {}, "", {}},
      {"xmp",
       {"-XMP-dc:Description-de=Welle", "-XMP-dc:Description=Vague à l'aube"},
       "Vague à l'aube",
       {}},
      {"iptc-latin1",
       {"-charset", "iptc=Latin", "-IPTC:Caption-Abstract=Été à Sète"},
       "Été à Sète",
       {}},
      {"iptc-utf8",
       {"-charset", "iptc=UTF8", "-IPTC:CodedCharacterSet=UTF8",
        "-IPTC:Caption-Abstract=Dunes <près> & co"},
       "Dunes <près> & co",
       {}},
      {"exif",
       {"-EXIF:ImageDescription=  Coccinelle  ", "-DateTimeOriginal=2024:07:12 10:30:00"},
       "Coccinelle",
       QDate(2024, 7, 12)},
      {"exif-latin1", {"-charset", "exif=Latin", "-EXIF:ImageDescription=Forêt"}, "Forêt", {}},
      {"appareil", {"-EXIF:ImageDescription=OLYMPUS DIGITAL CAMERA"}, "", {}},
      {"les-trois",
       {"-EXIF:ImageDescription=exif", "-IPTC:Caption-Abstract=iptc", "-XMP-dc:Description=xmp"},
       "xmp",
       {}},
      {"iptc-avant-exif",
       {"-EXIF:ImageDescription=exif", "-IPTC:Caption-Abstract=iptc"},
       "iptc",
       {}},
  };
  for (const auto& c : cases) {
    const QString path = dir.filePath(QString::fromLatin1(c.name) + ".jpg");
    test::detailedPicture(32, 24).jpegsave(QFile::encodeName(path).constData());
    if (!c.tags.isEmpty()) {
      ASSERT_TRUE(exiftool(c.tags + QStringList{"-overwrite_original", path})) << c.name;
    }
    const QByteArray head = readMetadataHead(path);
    const PhotoCaption caption = readCaption(head);
    EXPECT_EQ(caption.text, QString::fromUtf8(c.caption)) << c.name;
    EXPECT_EQ(caption.taken, c.taken) << c.name;
    // Only the header is read; cut anywhere, it gives what it holds, never a
    // read past its end.
    EXPECT_TRUE(readAll(path).startsWith(head)) << c.name;
    EXPECT_EQ(head.right(4).left(2), QByteArray("\xFF\xDA")) << c.name;
    for (qsizetype n = 0; n < head.size(); n += 7)
      readCaption(head.left(n));
  }
  // Fill bytes and a marker without a length before the segments hide nothing.
  const QString padded = dir.filePath("bourre.jpg");
  QFile file(padded);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(readAll(dir.filePath("exif.jpg")).insert(2, "\xFF\xFF\xFF\x01"));
  file.close();
  EXPECT_EQ(readCaption(readMetadataHead(padded)).text, "Coccinelle");
}

// The segments from the first quantisation table to the picture's end.
QByteArray pictureData(const QByteArray& jpeg) {
  qsizetype at = 2;  // the segments before it may hold JPEGs of their own (previews)
  while (at + 4 <= jpeg.size() && uchar(jpeg[at + 1]) != 0xDB)
    at += 2 + ((uchar(jpeg[at + 2]) << 8) | uchar(jpeg[at + 3]));
  return jpeg.mid(at, jpeg.lastIndexOf("\xFF\xD9") + 2 - at);
}

QByteArray iccSegment(const QByteArray& jpeg) {
  const qsizetype at = jpeg.indexOf("ICC_PROFILE");
  return at < 4 ? QByteArray()
                : jpeg.mid(at - 4, ((uchar(jpeg[at - 2]) << 8) | uchar(jpeg[at - 1])) + 2);
}

TEST(StripPrivate, EveryKindOfPrivateTagGoesThePictureStays) {
  QTemporaryDir dir;
  const QString preview = dir.filePath("apercu.jpg");
  test::saveJpeg(test::flatPicture(16, 12, {0, 200, 0}), preview);
  QFile makerNote(dir.filePath("maker.bin"));
  ASSERT_TRUE(makerNote.open(QIODevice::WriteOnly));
  makerNote.write("Canon serial 4711 owner Jean");
  makerNote.close();

  for (const char* byteOrder : {"MM", "II"}) {
    SCOPED_TRACE(byteOrder);
    const QString photo = dir.filePath(QStringLiteral("photo-%1.jpg").arg(byteOrder));
    test::detailedPicture(64, 48).jpegsave(QFile::encodeName(photo).constData(),
                                           vips::VImage::option()->set("profile", "srgb"));
    ASSERT_TRUE(exiftool({"-overwrite_original",
                          "-ExifByteOrder=" + QString(byteOrder),
                          "-n",
                          "-Orientation=6",
                          "-Copyright=(c) Famille",
                          "-Artist=Marie",
                          "-XPAuthor=Paul",
                          "-CameraSerialNumber=CS1",
                          "-SerialNumber=BS2",
                          "-LensSerialNumber=LS3",
                          "-OwnerName=Jean",
                          "-UserComment=12 rue des Lilas",
                          "-MakerNoteUnknownText<=" + makerNote.fileName(),
                          "-DateTimeOriginal=2024:05:01 12:00:00",
                          "-GPSLatitude=48.85",
                          "-GPSLatitudeRef=N",
                          "-GPSLongitude=2.35",
                          "-GPSLongitudeRef=E",
                          "-ThumbnailImage<=" + preview,
                          "-XMP-dc:Creator=Marie",
                          "-XMP-exif:GPSLatitude=48.85",
                          "-IPTC:By-line=Marie",
                          photo}));
    QByteArray source = readAll(photo);
    source += QByteArray("\xFF\xD8\xFF\xE0 trailing preview \xFF\xD9");  // a multi-picture tail
    ASSERT_TRUE(hasGpsPosition(readExifBlock(photo)));
    const QJsonObject before = tagsOf(photo);
    for (const char* tag :
         {"GPS:GPSLatitude", "IFD1:ThumbnailImage", "ExifIFD:MakerNoteUnknownText",
          "ExifIFD:SerialNumber", "IPTC:By-line", "ExifIFD:UserComment"})
      ASSERT_TRUE(before.contains(tag)) << tag;  // the photo holds what it should

    const Stripped stripped = stripPrivate(source);
    ASSERT_TRUE(stripped.ok);
    const QString cleaned = dir.filePath(QStringLiteral("propre-%1.jpg").arg(byteOrder));
    QFile out(cleaned);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    out.write(stripped.bytes);
    out.close();

    EXPECT_FALSE(hasGpsPosition(readExifBlock(cleaned)));
    const QJsonObject after = tagsOf(cleaned);
    QStringList left;
    for (auto it = after.begin(); it != after.end(); ++it) {
      const QString group = it.key().section(':', 0, 0);
      if (group == "GPS" || group == "IFD1" || group.startsWith("XMP") || group == "IPTC" ||
          group == "MakerNotes" || it.key().contains("Serial") || it.key().contains("Maker") ||
          it.key().endsWith("Artist") || it.key().endsWith("Author") ||
          it.key().endsWith("OwnerName") || it.key().endsWith("UserComment"))
        left << it.key();
    }
    EXPECT_EQ(left, QStringList());
    EXPECT_EQ(after["IFD0:Orientation"].toInt(), 6);
    EXPECT_EQ(after["IFD0:Copyright"].toString(), "(c) Famille");
    EXPECT_EQ(after["ExifIFD:DateTimeOriginal"].toString(), "2024:05:01 12:00:00");
    EXPECT_FALSE(after.contains("ExifTool:Warning"))
        << after["ExifTool:Warning"].toString().toStdString();
    // Lossless: the profile and the compressed picture are the source's bytes,
    // so the decoded pixels are the same.
    EXPECT_FALSE(iccSegment(source).isEmpty());
    EXPECT_EQ(iccSegment(stripped.bytes), iccSegment(source));
    EXPECT_EQ(pictureData(stripped.bytes), pictureData(readAll(photo)));
    EXPECT_TRUE(stripped.bytes.endsWith(pictureData(readAll(photo))));
  }
  EXPECT_FALSE(stripPrivate("GIF89a").ok);
  EXPECT_FALSE(stripPrivate(QByteArray("\xFF\xD8\xFF\xE1\x40\x00Exif", 10)).ok);      // cut short
  EXPECT_FALSE(stripPrivate(QByteArray("\xFF\xD8\xFF\xFE\x00\x03x\xFF\xD9", 9)).ok);  // no picture
}

}  // namespace
}  // namespace pixolane::imaging
