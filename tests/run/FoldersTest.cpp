#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "run/Folders.h"
#include "support/FakeView.h"

using namespace pixolane::run;
using pixolane::test::FakeView;

namespace {

void touch(const QString& path) {
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << path.toStdString();
  f.write("x");
}

class VerifExistance : public ::testing::Test {
 protected:
  QTemporaryDir tmp;
  OutputLayout layout = outputLayout(tmp.path(), "vacances", '/');
  FakeView view;
  const QString thumbsQuestion = QStringLiteral(
      "Le dossier de miniatures 'minivacances' existe...\r\nVoulez vous éffacer les fichiers "
      "existant ?");
  const QString photosQuestion = QStringLiteral(
      "Le dossier des photos 'picvacances' existe...\r\nVoulez vous éffacer les fichiers existant "
      "?");

  void fill(const QString& folder, const QStringList& names) {
    QDir().mkpath(folder);
    for (const QString& n : names)
      touch(folder + '/' + n);
  }
  QStringList filesIn(const QString& folder) {
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
  }
  // What the answers gave up, relative to the destination; nothing is deleted yet.
  static QStringList givenUp(const FolderOutcome& outcome, const QString& root) {
    QStringList names;
    for (const GivenUp& file : outcome.givenUp)
      names << QDir(root).relativeFilePath(file.path);
    return names;
  }
};

}  // namespace

TEST_F(VerifExistance, CreatesBothMissingFoldersWithoutAsking) {
  EXPECT_TRUE(Verif_Existance(layout, "vacances", view).ok);
  EXPECT_TRUE(QDir(layout.thumbnailsFolder).exists());
  EXPECT_TRUE(QDir(layout.photosFolder).exists());
  EXPECT_TRUE(view.questions.isEmpty());
}

TEST_F(VerifExistance, AsksThumbnailsFirstThenPhotosWithExactTexts) {
  fill(layout.thumbnailsFolder, {"a.jpg"});
  fill(layout.photosFolder, {"a.jpg", "noext"});
  view.answers = {true, true};
  const FolderOutcome outcome = Verif_Existance(layout, "vacances", view);
  EXPECT_TRUE(outcome.ok);
  ASSERT_EQ(view.questions, (QStringList{thumbsQuestion, photosQuestion}));
  EXPECT_EQ(view.questionTitles, (QStringList{"Traitement", "Traitement"}));
  // Files without extension too; both questions come before any deletion.
  EXPECT_EQ(givenUp(outcome, tmp.path()),
            (QStringList{"minivacances/a.jpg", "picvacances/a.jpg", "picvacances/noext"}));
  EXPECT_EQ(filesIn(layout.photosFolder), (QStringList{"a.jpg", "noext"}));
}

TEST_F(VerifExistance, NoToThumbnailsKeepsThemAndStillPreparesThePhotosFolder) {
  fill(layout.thumbnailsFolder, {"a.jpg"});
  view.answers = {false};
  EXPECT_TRUE(Verif_Existance(layout, "vacances", view).ok);
  EXPECT_EQ(filesIn(layout.thumbnailsFolder), QStringList{"a.jpg"});
  EXPECT_TRUE(QDir(layout.photosFolder).exists());  // created, not skipped

  // And with photos present too: the second question is still asked.
  fill(layout.photosFolder, {"b.jpg"});
  FakeView second;
  second.answers = {false, true};
  const FolderOutcome outcome = Verif_Existance(layout, "vacances", second);
  EXPECT_TRUE(outcome.ok);
  EXPECT_EQ(second.questions.size(), 2);
  EXPECT_EQ(givenUp(outcome, tmp.path()), QStringList{"picvacances/b.jpg"});
}

TEST_F(VerifExistance, SubFoldersAndHiddenFilesDoNotCountAndAreKept) {
  fill(layout.thumbnailsFolder + "/sub", {"inner.jpg"});
  fill(layout.photosFolder, {".hidden"});
  EXPECT_TRUE(Verif_Existance(layout, "vacances", view).ok);
  EXPECT_TRUE(view.questions.isEmpty());
  EXPECT_TRUE(QFile::exists(layout.thumbnailsFolder + "/sub/inner.jpg"));
  EXPECT_TRUE(QFile::exists(layout.photosFolder + "/.hidden"));

  // When asked and answered Yes, sub-folders and their files still stay.
  fill(layout.thumbnailsFolder, {"a.jpg"});
  EXPECT_EQ(givenUp(Verif_Existance(layout, "vacances", view), tmp.path()),
            QStringList{"minivacances/a.jpg"});
}

TEST_F(VerifExistance, FolderThatCannotBeCreatedStopsBeforeAnythingIsTouched) {
  // A plain file where the destination folder should be: creation fails even for root.
  touch(tmp.path() + "/blocked");
  fill(tmp.path() + "/ok/picv", {"keep.jpg"});
  const OutputLayout blocked = outputLayout(tmp.path() + "/blocked/", "v", '/');
  const FolderOutcome outcome = Verif_Existance(blocked, "v", view);
  EXPECT_FALSE(outcome.ok);
  EXPECT_TRUE(outcome.message.startsWith("Impossible de créer le dossier "))
      << outcome.message.toStdString();
  EXPECT_TRUE(view.questions.isEmpty());

  // The photos folder missing-and-uncreatable case: thumbnails full, photos blocked.
  const QString dest = tmp.path() + "/mixed/";
  fill(dest + "miniv", {"a.jpg"});
  touch(dest + "picv");  // a file named like the folder
  FakeView mixed;
  EXPECT_FALSE(Verif_Existance(outputLayout(dest, "v", '/'), "v", mixed).ok);
  EXPECT_TRUE(mixed.questions.isEmpty());  // nothing asked, nothing deleted
  EXPECT_TRUE(QFile::exists(dest + "miniv/a.jpg"));
}

TEST(PreviewFolder, IsCreatedOrEmptiedOfOrdinaryFilesOnly) {
  QTemporaryDir tmp;
  const QString folder = tmp.path() + "/temp/";
  EXPECT_TRUE(preparePreviewFolder(folder).ok);
  EXPECT_TRUE(QDir(folder).exists());
  QDir().mkpath(folder + "sub");
  for (const char* name : {"old.jpg", "temp.html", "anything"}) {
    QFile f(folder + name);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  }
  EXPECT_TRUE(preparePreviewFolder(folder).ok);
  EXPECT_TRUE(QDir(folder).entryList(QDir::Files).isEmpty());
  EXPECT_TRUE(QDir(folder + "sub").exists());
}
