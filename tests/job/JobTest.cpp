#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "job/GalleryJob.h"
#include "job/SavedLocation.h"
#include "platform/Platform.h"

using namespace pixolane;
using namespace pixolane::job;

TEST(GalleryJob, StartupValues) {
  const GalleryJob job = startupJob();
  EXPECT_EQ(job.Check3, 1);
  EXPECT_EQ(job.LargeurCible, 640);
  EXPECT_EQ(job.HauteurCible, 480);
  EXPECT_EQ(job.Check2, 1);
  EXPECT_EQ(job.Qualite, 100);
  EXPECT_EQ(job.Progressif, 1);
  EXPECT_EQ(job.LargeurMini, 100);
  EXPECT_EQ(job.HauteurMini, 100);
  EXPECT_EQ(job.Combo1, "1");
  EXPECT_EQ(job.Bordure, 2);
  EXPECT_EQ(job.Check4, 1);
  EXPECT_EQ(job.Check5, 0);
  EXPECT_EQ(job.Check6, 0);
  EXPECT_EQ(job.ModeApercu, 0);
  EXPECT_FALSE(job.Option6);
  EXPECT_TRUE(job.List1.isEmpty());
  EXPECT_TRUE(job.Text3.isEmpty() && job.Text4.isEmpty() && job.Text5.isEmpty());
  for (const QString& box : job.Text6)
    EXPECT_TRUE(box.isEmpty());
  // Two readings of a check box: "set" (not 0) and "one" (exactly 1).
  EXPECT_TRUE(isSet(2));
  EXPECT_FALSE(isOne(2));
}

namespace {

class SavedLocationTest : public ::testing::Test {
 protected:
  QTemporaryDir tmp;
  QString file = tmp.path() + "/config/SauvPath.sav";
  QStringList readyDrives{"/", "/mnt/d/"};
  QStringList folders{"/", "/mnt/d/", "/mnt/d/photos/"};
  LocationProbe probe{[this](const QString& d) { return readyDrives.contains(d); },
                      [this](const QString& f) { return folders.contains(f); }};
  const QString def = platform::defaultLocation();

  void write(const QByteArray& bytes) {
    QDir().mkpath(tmp.path() + "/config");
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
  }
  QByteArray contents() {
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
  }
  QByteArray defaults() { return (def + "\r\n" + def + "\r\n").toLocal8Bit(); }
};

}  // namespace

TEST_F(SavedLocationTest, MissingFileGivesDefaultAndCreatesIt) {
  EXPECT_EQ(restoreSavedLocation(file, probe), (SavedLocation{def, def}));
  EXPECT_EQ(contents(), defaults());
}

TEST_F(SavedLocationTest, BadFilesAreReplacedByTheDefaults) {
  const QByteArray bad[] = {
      "/mnt/d/photos/\r\n",              // a single line
      "",                                // empty
      "/mnt/d/photos/\r\n/mnt/e/\r\n",   // drive absent or not ready
      "/mnt/d/nowhere/\r\n/mnt/d/\r\n",  // folder does not exist
  };
  for (const QByteArray& b : bad) {
    write(b);
    EXPECT_EQ(restoreSavedLocation(file, probe), (SavedLocation{def, def})) << b.constData();
    EXPECT_EQ(contents(), defaults()) << b.constData();
  }
}

TEST_F(SavedLocationTest, ValidFileIsUsedAndLeftUnchanged) {
  write("/mnt/d/photos/\r\n/mnt/d/\r\n");
  EXPECT_EQ(restoreSavedLocation(file, probe), (SavedLocation{"/mnt/d/photos/", "/mnt/d/"}));
  EXPECT_EQ(contents(), QByteArray("/mnt/d/photos/\r\n/mnt/d/\r\n"));
  // Windows paths are plain text to the file.
  readyDrives << "D:\\";
  folders << "D:\\photos\\";
  write("D:\\photos\\\r\nD:\\\r\n");
  EXPECT_EQ(restoreSavedLocation(file, probe), (SavedLocation{"D:\\photos\\", "D:\\"}));
}

TEST_F(SavedLocationTest, UnwritableDefaultFileIsNotAnError) {
  // The config "folder" is a plain file: the default cannot be written.
  QFile blocker(tmp.path() + "/config");
  ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
  blocker.close();
  EXPECT_EQ(restoreSavedLocation(file, probe), (SavedLocation{def, def}));
}
