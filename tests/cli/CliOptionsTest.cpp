// The terminal front end's arguments: what each option sets in the job and
// which values are refused.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "cli/CliOptions.h"

using namespace pixolane::job;
using pixolane::cli::FolderAnswer;
using pixolane::cli::parseArguments;

namespace {

QString touch(const QString& path) {
  QFile f(path);
  f.open(QIODevice::WriteOnly);
  return QDir::toNativeSeparators(path);
}

}  // namespace

TEST(ParseArguments, DefaultsOfAnEmptyCommandLine) {
  const auto r = parseArguments({});
  ASSERT_TRUE(r.ok);
  const GalleryJob& job = r.options.job;
  EXPECT_EQ(job.Check4, 0);  // nothing is opened unless asked
  EXPECT_EQ(job.Check3, 1);
  EXPECT_EQ(job.Check2, 1);
  EXPECT_EQ(job.Qualite, 100);
  EXPECT_EQ(job.Progressif, 1);
  EXPECT_FALSE(job.Option6);
  EXPECT_EQ(job.LargeurCible, 640);
  EXPECT_EQ(job.HauteurCible, 480);
  EXPECT_EQ(job.LargeurMini, 100);
  EXPECT_EQ(job.HauteurMini, 100);
  EXPECT_EQ(job.ModeApercu, 0);
  EXPECT_EQ(r.options.folders, FolderAnswer::Ask);
  EXPECT_EQ(r.options.jobs, 0);
  EXPECT_TRUE(job.List1.isEmpty());
}

TEST(ParseArguments, SizesArePresetsOrTheCustomSize) {
  struct Case {
    QString arg;
    bool custom;
    int w, h;
  };
  const Case cases[] = {
      {"320x240", false, 320, 240},     {"640x480", false, 640, 480},
      {"800x600", false, 800, 600},     {"1024x768", false, 1024, 768},
      {"1280x1024", false, 1280, 1024}, {"800X600", false, 800, 600},
      {"600x800", true, 600, 800},      {"1000x700", true, 1000, 700},
      {"0x600", true, 0, 600},  // the launch check refuses it, not the parser
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.arg.toStdString());
    const auto r = parseArguments({"-s", c.arg});
    ASSERT_TRUE(r.ok) << r.error.toStdString();
    const GalleryJob& job = r.options.job;
    EXPECT_EQ(job.Option6, c.custom);
    if (c.custom) {
      EXPECT_EQ(job.Text1, QString::number(c.w));
      EXPECT_EQ(job.Text2, QString::number(c.h));
    } else {
      EXPECT_EQ(job.LargeurCible, c.w);
      EXPECT_EQ(job.HauteurCible, c.h);
    }
  }
  for (const QString bad : {"800", "800x", "x600", "800x600x2", "-5x3", "huit", "800 x 600"}) {
    SCOPED_TRACE(bad.toStdString());
    const auto r = parseArguments({"--size", bad});
    EXPECT_FALSE(r.ok);
    EXPECT_TRUE(r.error.contains("LxH"));
  }
  EXPECT_FALSE(parseArguments({"-s"}).ok);
}

TEST(ParseArguments, ThumbnailBoxes) {
  const std::pair<QString, int> boxes[] = {{"small", 100}, {"medium", 140}, {"large", 230}};
  for (const auto& [name, side] : boxes) {
    const auto r = parseArguments({"--thumbs", name});
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.options.job.LargeurMini, side);
    EXPECT_EQ(r.options.job.HauteurMini, side);
  }
  for (const QString bad : {"huge", "140", "Medium", ""})
    EXPECT_FALSE(parseArguments({"--thumbs", bad}).ok) << bad.toStdString();
  EXPECT_FALSE(parseArguments({"--thumbs"}).ok);
}

TEST(ParseArguments, BorderAndNumbersOutOfRange) {
  for (const auto& [text, value] : std::vector<std::pair<QString, int>>{{"0", 0}, {"9", 9}}) {
    const auto r = parseArguments({"--border", text});
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.options.job.Bordure, value);
  }
  for (const QString bad : {"-1", "100", "deux", ""})
    EXPECT_FALSE(parseArguments({"--border", bad}).ok) << bad.toStdString();
  EXPECT_FALSE(parseArguments({"--border"}).ok);

  EXPECT_EQ(parseArguments({"-q", "1"}).options.job.Qualite, 1);
  EXPECT_EQ(parseArguments({"--quality", "85"}).options.job.Qualite, 85);
  for (const QString bad : {"0", "101", "8.5", "max"})
    EXPECT_FALSE(parseArguments({"-q", bad}).ok) << bad.toStdString();

  EXPECT_EQ(parseArguments({"-j", "4"}).options.jobs, 4);
  for (const QString bad : {"0", "257", "all"})
    EXPECT_FALSE(parseArguments({"--jobs", bad}).ok) << bad.toStdString();
}

TEST(ParseArguments, ValuesTakeEveryQtSpelling) {
  const std::pair<QStringList, int> jobs[] = {
      {{"-j1"}, 1}, {{"-j", "2"}, 2}, {{"--jobs=3"}, 3}, {{"--jobs", "4"}, 4}, {{"-j2", "-j5"}, 5}};
  for (const auto& [args, n] : jobs) {
    const auto r = parseArguments(args);
    ASSERT_TRUE(r.ok) << args.join(' ').toStdString();
    EXPECT_EQ(r.options.jobs, n) << args.join(' ').toStdString();
  }
  EXPECT_EQ(parseArguments({"-q85", "--size=800x600"}).options.job.LargeurCible, 800);
  EXPECT_EQ(parseArguments({"--border=-1"}).error, "Option --border : nombre de 0 à 99 attendu");
  // Help and version answer before any value is checked.
  for (const QString help : {"-h", "--help", "--help-all"})
    EXPECT_TRUE(parseArguments({"-q", "0", help}).options.help) << help.toStdString();
  EXPECT_TRUE(parseArguments({"-v"}).options.version);
  EXPECT_FALSE(parseArguments({"--version", "--vite"}).ok);

  const std::pair<QStringList, QString> refused[] = {
      {{"-j"}, "Option -j : nombre de 1 à 256 attendu"},
      {{"-d", "/tmp", "--name"}, "Option --name : nom attendu"},
      {{"--copy=1"}, "Option --copy : aucune valeur attendue"},
      {{"-jx"}, "Option -j : nombre de 1 à 256 attendu"},
      {{"-cj1"}, "Option inconnue : -c (voir --help)"},
      {{"--publish"}, "Option --publish : adresse attendue (sftp://, ftp:// ou ftps://)"},
  };
  for (const auto& [args, message] : refused)
    EXPECT_EQ(parseArguments(args).error, message) << args.join(' ').toStdString();

  // After "--" a name that starts with a dash is a picture.
  QTemporaryDir dir;
  const QString before = QDir::currentPath();
  QDir::setCurrent(dir.path());
  touch(dir.path() + "/-j1.jpg");
  const auto dashed = parseArguments({"--", "-j1.jpg"});
  QDir::setCurrent(before);
  EXPECT_EQ(dashed.options.job.List1,
            QStringList{QDir::toNativeSeparators(dir.path() + "/-j1.jpg")});
  EXPECT_EQ(dashed.options.jobs, 0);
}

TEST(ParseArguments, SiteFolderFillsTheFourBoxes) {
  struct Case {
    QString arg;
    std::array<QString, 5> boxes;
  };
  const Case cases[] = {
      {"a/b/c/d", {"", "a", "b", "c", "d"}},
      {"photos/2006", {"", "photos", "2006", "", ""}},
      {"/galerie/", {"", "galerie", "", "", ""}},
      {"", {"", "", "", "", ""}},
  };
  for (const Case& c : cases) {
    const auto r = parseArguments({"--site", c.arg});
    ASSERT_TRUE(r.ok) << c.arg.toStdString();
    EXPECT_EQ(r.options.job.Text6, c.boxes) << c.arg.toStdString();
  }
  EXPECT_FALSE(parseArguments({"--site", "a/b/c/d/e"}).ok);
}

TEST(ParseArguments, FlagsSetTheirJobFields) {
  const auto r = parseArguments({"--copy", "--stretch", "--baseline", "--names", "--new-window",
                                 "--open", "--preview", "--quiet", "--replace", "--force",
                                 "--dry-run", "--prune", "-t", "Noël à Paris", "-n", "noel"});
  ASSERT_TRUE(r.ok);
  const GalleryJob& job = r.options.job;
  EXPECT_EQ(job.Check3, 0);
  EXPECT_EQ(job.Check2, 0);
  EXPECT_EQ(job.Progressif, 0);
  EXPECT_EQ(job.Check5, 1);
  EXPECT_EQ(job.Check6, 1);
  EXPECT_EQ(job.Check4, 1);
  EXPECT_EQ(job.ModeApercu, -1);
  EXPECT_EQ(job.Text5, "Noël à Paris");
  EXPECT_EQ(job.Text4, "noel");
  EXPECT_TRUE(r.options.quiet);
  EXPECT_TRUE(r.options.force && r.options.dryRun && r.options.prune);
  EXPECT_EQ(r.options.folders, FolderAnswer::Replace);
  EXPECT_EQ(parseArguments({"--replace", "--keep"}).options.folders, FolderAnswer::Keep);
  EXPECT_TRUE(parseArguments({"-h"}).options.help);
  const auto web = parseArguments({"--standalone", "--strip-private", "--sort", "given"});
  EXPECT_EQ(web.options.job.Check7, 1);
  EXPECT_TRUE(web.options.job.stripPrivate);
  EXPECT_FALSE(web.options.sortByDate);
  EXPECT_TRUE(parseArguments({"--sort=date"}).options.sortByDate);
  EXPECT_EQ(parseArguments({"--sort", "nom"}).error, "Option --sort : given ou date attendu");
  const auto publish = parseArguments({"--publish-only", "ftp://h/", "--accept-host-key"});
  EXPECT_TRUE(publish.options.publishOnly && publish.options.acceptHostKey);
  EXPECT_EQ(publish.options.publishAddress, "ftp://h/");
}

TEST(ParseArguments, DestinationBecomesAnAbsoluteFolderWithItsSeparator) {
  QTemporaryDir dir;
  const auto r = parseArguments({"-d", dir.path() + "/site"});
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(r.options.job.Text3, QDir::toNativeSeparators(dir.path() + "/site/"));

  const QString before = QDir::currentPath();
  QDir::setCurrent(dir.path());
  const QString relative = parseArguments({"--dest", "rel"}).options.job.Text3;
  QDir::setCurrent(before);
  EXPECT_EQ(relative, QDir::toNativeSeparators(dir.path() + "/rel/"));
  EXPECT_FALSE(parseArguments({"-d"}).ok);
  EXPECT_FALSE(parseArguments({"-n"}).ok);
  EXPECT_FALSE(parseArguments({"--preview-dir"}).ok);
}

TEST(ParseArguments, PicturesInArgumentOrderFoldersExpandToJpegsInNameOrder) {
  QTemporaryDir dir;
  const QString album = dir.path() + "/album";
  QDir().mkpath(album + "/sous.jpg");  // a folder with a picture's name is not a picture
  for (const QString name : {"c.Jpg", "a.jpeg", "B.JPG", "d.png", "e.jpg.txt", "f.JPEG", "notes"})
    touch(album + "/" + name);
  const QString single = touch(dir.path() + "/z.jpg");
  const QString other = touch(dir.path() + "/y.JPG");

  const auto r = parseArguments({single, album, other});
  ASSERT_TRUE(r.ok) << r.error.toStdString();
  const auto in = [&](const QString& name) { return QDir::toNativeSeparators(album + "/" + name); };
  EXPECT_EQ(r.options.job.List1,
            (QStringList{single, in("a.jpeg"), in("B.JPG"), in("c.Jpg"), in("f.JPEG"), other}));

  // A named file is taken whatever its extension, as the user asked for it.
  const QString png = QDir::toNativeSeparators(album + "/d.png");
  EXPECT_EQ(parseArguments({png}).options.job.List1, QStringList{png});

  // An empty folder adds nothing and is not an error.
  QDir().mkpath(dir.path() + "/vide");
  const auto empty = parseArguments({dir.path() + "/vide"});
  EXPECT_TRUE(empty.ok);
  EXPECT_TRUE(empty.options.job.List1.isEmpty());
}

TEST(ParseArguments, UnknownOptionsAndMissingFilesAreRefused) {
  const auto unknown = parseArguments({"--frobnicate"});
  EXPECT_FALSE(unknown.ok);
  EXPECT_EQ(unknown.error, "Option inconnue : --frobnicate (voir --help)");
  EXPECT_FALSE(parseArguments({"-x"}).ok);

  const auto missing = parseArguments({"/nulle/part/photo.jpg"});
  EXPECT_FALSE(missing.ok);
  EXPECT_EQ(missing.error, "Fichier introuvable : /nulle/part/photo.jpg");
}
