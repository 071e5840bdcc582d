#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "platform/PictureListing.h"
#include "platform/Platform.h"

using namespace pixolane;

TEST(Platform, PerUserFoldersAndDrives) {
  // Test mode is on: these are Qt's test locations, never the user's own.
  EXPECT_TRUE(platform::savedLocationFile().endsWith(QDir::toNativeSeparators("/SauvPath.sav")));
  EXPECT_TRUE(platform::previewFolder().endsWith(QDir::toNativeSeparators("/temp/")));
  EXPECT_TRUE(platform::savedLocationFile().contains("qttest"));
  QStringList drives = platform::drives();
  ASSERT_FALSE(drives.isEmpty());
  EXPECT_EQ(drives.first(), platform::defaultLocation());
  EXPECT_EQ(drives.removeDuplicates(), 0);
}

TEST(Platform, DocumentOpenerCanBeReplaced) {
  QStringList opened;
  platform::setDocumentOpener([&](const QString& p) {
    opened << p;
    return true;
  });
  EXPECT_TRUE(platform::openDocument("/tmp/x.html"));
  platform::setDocumentOpener({});
  EXPECT_EQ(opened, QStringList{"/tmp/x.html"});
}

TEST(Platform, PicturesInReadingOrder) {
  QTemporaryDir dir;
  // Shuffled on purpose; the others are not pictures, or hidden, or a folder.
  for (const char* name :
       {"zoo.jpg", "p10.jpg", "P3.jpg", "été.jpg", "p2.jpg", "abc.jpg", "b1.jpg", "B1.jpg",
        "b01.jpg", "x.JPEG", "Ecole.jpeg", "notes.txt", "p2.png", ".cache.jpg"})
    ASSERT_TRUE(QFile(dir.filePath(QString::fromUtf8(name))).open(QIODevice::WriteOnly)) << name;
  ASSERT_TRUE(QDir(dir.path()).mkdir("dossier.jpg"));
  // Case and accents folded, digits by value, ties by the exact name.
  EXPECT_EQ(platform::picturesIn(dir.path()),
            QStringList({"abc.jpg", "B1.jpg", "b01.jpg", "b1.jpg", "Ecole.jpeg", "été.jpg",
                         "p2.jpg", "P3.jpg", "p10.jpg", "x.JPEG", "zoo.jpg"}));
}
