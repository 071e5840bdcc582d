#include <gtest/gtest.h>

#include <QDir>

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
