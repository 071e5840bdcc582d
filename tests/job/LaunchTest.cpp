#include <gtest/gtest.h>

#include "job/GalleryJob.h"
#include "job/Launch.h"

#include <ostream>

// Readable failures: gtest prints a QString as its text.
inline void PrintTo(const QString& text, std::ostream* os) {
  *os << '"' << text.toStdString() << '"';
}

namespace pixolane::job {
namespace {

GalleryJob readyJob() {
  GalleryJob job = startupJob();
  job.Text4 = "vacances";
  job.Text3 = "/tmp/galerie/";
  job.List1 = QStringList{"/photos/a.jpg"};
  return job;
}

TEST(LaunchCheck, ChecksRunInOrderPageNameFirst) {
  GalleryJob job = startupJob();
  job.Text4 = "   ";
  job.Text3 = "";
  LaunchCheck check = checkLaunch(job);
  EXPECT_FALSE(check.ok);
  EXPECT_EQ(check.message, "Veuillez renseigner le nom de fichier html");
  EXPECT_EQ(check.field, LaunchField::PageName);

  job.Text4 = "page";
  job.Text3 = "  ";
  check = checkLaunch(job);
  EXPECT_EQ(check.message, "Veuillez renseigner le dossier de sortie");
  EXPECT_EQ(check.field, LaunchField::Destination);

  job.Text3 = "/tmp/out/";
  check = checkLaunch(job);
  EXPECT_FALSE(check.ok);
  EXPECT_EQ(check.message, "Aucune image dans la liste de traitement");
  EXPECT_EQ(check.field, LaunchField::List);
}

TEST(LaunchCheck, PageNameThatIsAPathIsRefused) {
  for (const char* name : {"../evade", "/../../x", "sub/../../up", "a/b", "a\\b", "a\tb", "a\nb"}) {
    SCOPED_TRACE(name);
    GalleryJob job = readyJob();
    job.Text4 = QString::fromUtf8(name);
    const LaunchCheck check = checkLaunch(job);
    EXPECT_FALSE(check.ok);
    EXPECT_EQ(check.field, LaunchField::PageName);
    EXPECT_TRUE(check.message.contains("nom de fichier html"));
  }
  GalleryJob dotted = readyJob();
  dotted.Text4 = QString::fromUtf8("été..2026 & co");
  EXPECT_TRUE(checkLaunch(dotted).ok);
}

TEST(LaunchCheck, PassingJobWithPresetKeepsTargetSize) {
  GalleryJob job = readyJob();
  job.LargeurCible = 800;
  job.HauteurCible = 600;
  job.Text1 = "1000";  // ignored without "Personnalisé"
  job.Text2 = "750";
  const LaunchCheck check = checkLaunch(job);
  EXPECT_TRUE(check.ok);
  EXPECT_TRUE(check.message.isEmpty());
  EXPECT_EQ(job.LargeurCible, 800);
  EXPECT_EQ(job.HauteurCible, 600);
}

TEST(LaunchCheck, CustomSizeIsTakenEvenWhenCopying) {
  for (int check3 : {1, 0}) {
    GalleryJob job = readyJob();
    job.Check3 = check3;
    job.Option6 = true;
    job.Text1 = "1000";
    job.Text2 = "750";
    EXPECT_TRUE(checkLaunch(job).ok);
    EXPECT_EQ(job.LargeurCible, 1000);
    EXPECT_EQ(job.HauteurCible, 750);
  }
  GalleryJob limits = readyJob();
  limits.Option6 = true;
  limits.Check2 = 0;  // stretched: the box is the drawing
  limits.Text1 = "1";
  limits.Text2 = "65500";
  EXPECT_TRUE(checkLaunch(limits).ok);
  EXPECT_EQ(limits.LargeurCible, 1);
  EXPECT_EQ(limits.HauteurCible, 65500);
}

TEST(LaunchCheck, BadCustomSizeIsRefusedAndTargetUnchanged) {
  struct Case {
    QString width, height;
    LaunchField field;
    const char* mustMention;
  };
  const Case cases[] = {
      {"", "750", LaunchField::CustomWidth, "largeur"},
      {"0", "750", LaunchField::CustomWidth, "largeur"},
      {"65501", "750", LaunchField::CustomWidth, "65500"},
      {"99999999999", "750", LaunchField::CustomWidth, "largeur"},
      {"1000", "", LaunchField::CustomHeight, "hauteur"},
      {"1000", "000", LaunchField::CustomHeight, "hauteur"},
      {"1000", "65501", LaunchField::CustomHeight, "hauteur"},
      {"1000", "7a", LaunchField::CustomHeight, "hauteur"},
      {"65500", "65500", LaunchField::CustomWidth, "150 mégapixels"},
      {"15000", "10001", LaunchField::CustomWidth, "150 mégapixels"},
      // Keeping proportions, a square photograph makes a side squared.
      {"20000", "100", LaunchField::CustomWidth, "12247 pixels"},
      {"100", "12248", LaunchField::CustomHeight, "12247 pixels"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.width.toStdString() + " x " + c.height.toStdString());
    GalleryJob job = readyJob();
    job.LargeurCible = 800;
    job.HauteurCible = 600;
    job.Option6 = true;
    job.Text1 = c.width;
    job.Text2 = c.height;
    const LaunchCheck check = checkLaunch(job);
    EXPECT_FALSE(check.ok);
    EXPECT_EQ(check.field, c.field);
    EXPECT_TRUE(check.message.contains(QString::fromUtf8(c.mustMention)))
        << check.message.toStdString();
    EXPECT_EQ(job.LargeurCible, 800);
    EXPECT_EQ(job.HauteurCible, 600);
  }
}

TEST(SiteFolders, ExtractedAfterNouveauSiteWithEitherSeparator) {
  const std::array<QString, 5> before{"x0", "x1", "x2", "x3", "x4"};
  struct Case {
    QString destination;
    QChar sep;
    std::array<QString, 5> expected;
  };
  const Case cases[] = {
      {R"(D:\Web\Nouveau site\albums\2006\noel\)", '\\', {"albums", "2006", "noel", "x3", "x4"}},
      {"/home/ana/Nouveau site/albums/2006/noel/", '/', {"albums", "2006", "noel", "x3", "x4"}},
      // Two levels: the first two boxes only.
      {"/srv/Nouveau site/albums/2006/", '/', {"albums", "2006", "x2", "x3", "x4"}},
      // Five levels and more: every box, the rest ignored.
      {"/Nouveau site/a/b/c/d/e/f/", '/', {"a", "b", "c", "d", "e"}},
      // No "Nouveau site": the first folder starts at the 13th character.
      {R"(C:\Document\web\)", '\\', {"web", "x1", "x2", "x3", "x4"}},
      {"/home/nadia/www/site/", '/', {"www", "site", "x2", "x3", "x4"}},
      // A separator right at the start position: an empty first box.
      {"/home/anabel/site/", '/', {"", "site", "x2", "x3", "x4"}},
      // The name is matched with its case.
      {"/srv/nouveau site/albums/", '/', {" site", "albums", "x2", "x3", "x4"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.destination.toStdString());
    EXPECT_EQ(extractSiteFolders(c.destination, before, c.sep), c.expected);
  }
}

TEST(SiteFolders, PathTooShortLeavesEveryBoxUnchanged) {
  const std::array<QString, 5> before{"a", "b", "c", "d", "e"};
  for (const QString& destination :
       {QString(), QString("/"), QString(R"(C:\)"), QString(R"(D:\photos\)"),
        QString("/home/ana/web"), QString("/srv/Nouveau site/"), QString("/Nouveau site/x")}) {
    SCOPED_TRACE(destination.toStdString());
    EXPECT_EQ(extractSiteFolders(destination, before, '/'), before);
    EXPECT_EQ(extractSiteFolders(destination, before, '\\'), before);
  }
}

TEST(Border, TypedTextAcceptedOnlyAsWholeNumberUpTo99) {
  const std::pair<QString, std::optional<int>> cases[] = {
      {"0", 0},
      {"5", 5},
      {" 7 ", 7},
      {"99", 99},
      {"07", 7},
      {"100", std::nullopt},
      {"", std::nullopt},
      {"  ", std::nullopt},
      {"-1", std::nullopt},
      {"2.5", std::nullopt},
      {"a", std::nullopt},
      {"3a", std::nullopt},
  };
  for (const auto& [text, expected] : cases) {
    SCOPED_TRACE(text.toStdString());
    EXPECT_EQ(parseBorder(text), expected);
  }
}

}  // namespace
}  // namespace pixolane::job
