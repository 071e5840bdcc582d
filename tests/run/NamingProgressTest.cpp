#include <gtest/gtest.h>

#include "run/Naming.h"
#include "run/Progress.h"

using namespace pixolane::run;

TEST(NomPic, TakesWhatFollowsTheLastSeparatorOnly) {
  struct Case {
    const char* path;
    QChar sep;
    const char* name;
  } cases[] = {
      {"D:\\photos\\IMG_0001.JPG", '\\', "IMG_0001.JPG"},
      {"/home/ann/photos/IMG_0001.JPG", '/', "IMG_0001.JPG"},
      {"IMG_0001.JPG", '\\', "IMG_0001.JPG"},              // no separator: whole path
      {"", '\\', ""},                                      // empty path
      {"D:\\photos\\", '\\', ""},                          // ends with a separator
      {"D:\\photos/sub/a.jpg", '\\', "photos/sub/a.jpg"},  // the other slash is ordinary
  };
  for (const Case& c : cases)
    EXPECT_EQ(NomPic(c.path, c.sep), QString(c.name)) << c.path;
}

TEST(OutputLayout, FollowsThePageNameWithBothSeparators) {
  const OutputLayout win = outputLayout("C:\\site\\", "vacances", '\\');
  EXPECT_EQ(win.photoOf("D:\\photos\\IMG_0001.JPG"), "C:\\site\\picvacances\\IMG_0001.JPG");
  EXPECT_EQ(win.thumbnailOf("D:\\photos\\IMG_0001.JPG"), "C:\\site\\minivacances\\IMG_0001.JPG");
  EXPECT_EQ(win.page, "C:\\site\\vacances.php");
  EXPECT_EQ(win.document, "C:\\site\\vacances.html");

  const OutputLayout nix = outputLayout("/srv/site/", "vacances", '/');
  EXPECT_EQ(nix.photoOf("/home/a/IMG_1.jpg"), "/srv/site/picvacances/IMG_1.jpg");
  EXPECT_EQ(nix.thumbnailsFolder, "/srv/site/minivacances");
}

TEST(OutputLayout, DestinationWithoutFinalSeparatorStaysInsideTheFolderTheUserNamed) {
  const OutputLayout win = outputLayout("C:\\site", "vacances", '\\');
  EXPECT_EQ(win.photosFolder, "C:\\site\\picvacances");
  EXPECT_EQ(win.page, "C:\\site\\vacances.php");
  EXPECT_EQ(outputLayout("/srv/site", "v", '/').thumbnailsFolder, "/srv/site/miniv");
}

TEST(Progress, MaximumPercentAndCaption) {
  EXPECT_EQ(progressMax(1), 1.0f);
  EXPECT_EQ(progressMax(2), 1.0f);
  EXPECT_EQ(progressMax(10), 9.0f);
  EXPECT_EQ(progressMax(0), 1.0f);  // never below the minimum

  EXPECT_EQ(progressPercent(2, progressMax(10)), 22);  // 22.2
  EXPECT_EQ(progressPercent(0, progressMax(1)), 0);
  EXPECT_EQ(progressPercent(1, progressMax(2)), 100);
  EXPECT_EQ(progressPercent(1, 8.0f), 12);  // 12.5 goes to the even 12
  EXPECT_EQ(progressPercent(3, 8.0f), 38);  // 37.5 goes to the even 38
  EXPECT_EQ(progressPercent(8, 8.0f), 100);

  EXPECT_EQ(progressCaption(2, 10, "IMG_0003.JPG", 22), "Traitement.... (3/10) IMG_0003.JPG 22%");
  // A name that looks like a placeholder is written as it is.
  EXPECT_EQ(progressCaption(0, 1, "100%1.jpg", 0), "Traitement.... (1/1) 100%1.jpg 0%");
}
