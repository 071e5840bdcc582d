// Re-runs: what an earlier run made the same way is kept untouched, the rest
// is drawn, and the gallery is byte for byte the one a fresh run makes.
// vips (through glib) must come before Qt, whose "signals" keyword it uses as a name.
#include "imaging/TestPictures.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <functional>
#include <map>

#include "platform/Files.h"
#include "run/GalleryRecord.h"
#include "run/Plan.h"
#include "run/ProcessingRun.h"
#include "run/Rerun.h"
#include "support/FakeView.h"

using namespace pixolane;
using namespace pixolane::job;
using namespace pixolane::run;
using pixolane::imaging::test::detailedPicture;
using pixolane::imaging::test::readAll;
using pixolane::imaging::test::saveJpeg;
using pixolane::test::FakeView;

namespace {

const char* const kNames[] = {"a.jpg", "b.jpg", "c.jpg"};

// The sources, made once: a landscape, a portrait and a square.
const std::map<QString, QByteArray>& sourceBytes() {
  static const std::map<QString, QByteArray> bytes = [] {
    QTemporaryDir dir;
    std::map<QString, QByteArray> made;
    const int sizes[][2] = {{300, 200}, {200, 300}, {250, 250}, {260, 180}};
    const char* const names[] = {"a.jpg", "b.jpg", "c.jpg", "autre.jpg"};
    for (int i = 0; i < 4; ++i) {
      const QString path = dir.filePath(names[i]);
      saveJpeg(detailedPicture(sizes[i][0], sizes[i][1]), path);
      made[names[i]] = readAll(path);
    }
    return made;
  }();
  return bytes;
}

void writeFile(const QString& path, const QByteArray& bytes) {
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
  f.write(bytes);
}

struct Gallery {
  QTemporaryDir tmp;
  QString src = tmp.path() + "/src/";
  QString dest = tmp.path() + "/site/";
  GalleryJob job;
  RunOptions options{.workers = 2, .sep = '/'};

  Gallery() {
    QDir().mkpath(src);
    for (const char* name : kNames) {
      writeFile(src + name, sourceBytes().at(name));
      job.List1 << src + name;
    }
    job.Text3 = dest;
    job.Text4 = "noel";
    job.LargeurCible = 200;
    job.HauteurCible = 150;
  }
  // Answers No to the folder questions: the earlier run's files stay.
  RunReport run(const QString& destination, std::deque<bool> answers = {false, false}) {
    GalleryJob j = job;
    j.Text3 = destination;
    FakeView view;
    view.answers = std::move(answers);
    ProcessingRun r(j, view, options);
    r.Form_Load();
    return r.Timer1_Timer();
  }
  // Every file of the two folders: size and modification time.
  std::map<QString, FileIdentity> stamps() const {
    std::map<QString, FileIdentity> files;
    for (const QString folder : {"picnoel", "mininoel"}) {
      for (const QString& name : QDir(dest + folder).entryList(QDir::Files)) {
        FileIdentity id = fileIdentity(dest + folder + "/" + name);
        id.device = id.inode = 0;
        files[folder + "/" + name] = id;
      }
    }
    return files;
  }
  // The files this job's pages link, and the pages.
  QStringList gallery() const {
    QStringList files{"noel.php"};
    if (job.Check7 == 1)
      files << "noel.html";
    for (const QString& source : job.List1) {
      files << "picnoel/" + source.section('/', -1) << "mininoel/" + source.section('/', -1);
      if (job.Check7 == 1)
        files << "mininoel/" + source.section('/', -1) + "@2x.jpg";
    }
    return files;
  }
};

}  // namespace

TEST(Rerun, KeepsWhatIsUnchangedDrawsTheRestAndMatchesAFreshRun) {
  using Change = std::function<void(Gallery&)>;
  struct Case {
    const char* what;
    Change change;
    QStringList touched;  // outputs the re-run wrote
    int drawn;
    int unchanged;
    bool replace = false;     // "Oui": the folders hold this run's files only
    bool standalone = false;  // from the first run on
  };
  const QStringList all = {"mininoel/a.jpg", "mininoel/b.jpg", "mininoel/c.jpg",
                           "picnoel/a.jpg",  "picnoel/b.jpg",  "picnoel/c.jpg"};
  const Case cases[] = {
      {"unchanged", [](Gallery&) {}, {}, 0, 3},
      {"source changed",
       [](Gallery& g) { writeFile(g.src + "b.jpg", sourceBytes().at("autre.jpg")); },
       {"mininoel/b.jpg", "picnoel/b.jpg"},
       1,
       2},
      {"quality changed: the thumbnails stay",
       [](Gallery& g) { g.job.Qualite = 80; },
       {"picnoel/a.jpg", "picnoel/b.jpg", "picnoel/c.jpg"},
       3,
       0},
      {"thumbnail box changed: the pictures stay",
       [](Gallery& g) { g.job.LargeurMini = g.job.HauteurMini = 140; },
       {"mininoel/a.jpg", "mininoel/b.jpg", "mininoel/c.jpg"},
       3,
       0},
      {"size changed: the thumbnails come from the new decode",
       [](Gallery& g) { g.job.LargeurCible = 120, g.job.HauteurCible = 90; }, all, 3, 0},
      {"border and names: only the page",
       [](Gallery& g) {
         g.job.Bordure = 7;
         g.job.Check5 = 1;
       },
       {},
       0,
       3},
      {"output edited",
       [](Gallery& g) {
         QFile f(g.dest + "picnoel/a.jpg");
         ASSERT_TRUE(f.open(QIODevice::Append));
         f.write("x");
       },
       {"picnoel/a.jpg"},
       1,
       2},
      {"output deleted",
       [](Gallery& g) { QFile::remove(g.dest + "mininoel/c.jpg"); },
       {"mininoel/c.jpg"},
       1,
       2},
      {"record damaged: a full run",
       [](Gallery& g) {
         const QString record = GalleryRecord::pathFor(g.dest, "noel");
         QByteArray bytes = readAll(record);
         writeFile(record, bytes.left(bytes.size() / 2));
       },
       all, 3, 0},
      {"card plugged in again: another device number, nothing drawn",
       [](Gallery& g) {
         const QString record = GalleryRecord::pathFor(g.dest, "noel");
         const GalleryRecord recorded = GalleryRecord::load(record);
         GalleryRecord remounted;
         for (RecordEntry e : recorded.entries()) {
           e.sourceId.device += 1;
           remounted.put(e);
         }
         ASSERT_TRUE(remounted.save(record));
       },
       {},
       0,
       3},
      {"source renamed: its outputs copied",
       [](Gallery& g) {
         ASSERT_TRUE(QFile::rename(g.src + "a.jpg", g.src + "z.jpg"));
         g.job.List1[0] = g.src + "z.jpg";
       },
       {"mininoel/z.jpg", "picnoel/z.jpg"},
       0,
       3},
      {"source copied elsewhere, the original kept",
       [](Gallery& g) {
         QDir().mkpath(g.tmp.path() + "/copie");
         ASSERT_TRUE(QFile::copy(g.src + "c.jpg", g.tmp.path() + "/copie/c.jpg"));
         g.job.List1[2] = g.tmp.path() + "/copie/c.jpg";
       },
       {},
       0,
       3},
      {"forced", [](Gallery& g) { g.options.force = true; }, all, 3, 0},
      {"Oui: the unchanged stay, the rest goes",
       [](Gallery& g) {
         g.job.List1.removeLast();
         writeFile(g.dest + "picnoel/vieux.jpg", "an earlier file");
       },
       {},
       0,
       2,
       true},
      {"copy instead of resize: thumbnails drawn alone", [](Gallery& g) { g.job.Check3 = 0; }, all,
       3, 0},
      {"standalone unchanged: nothing drawn", [](Gallery&) {}, {}, 0, 3, false, true},
      {"standalone added: only its high-density thumbnails",
       [](Gallery& g) { g.job.Check7 = 1; },
       {"mininoel/a.jpg@2x.jpg", "mininoel/b.jpg@2x.jpg", "mininoel/c.jpg@2x.jpg"},
       3,
       0},
      {"standalone, source changed",
       [](Gallery& g) { writeFile(g.src + "b.jpg", sourceBytes().at("autre.jpg")); },
       {"mininoel/b.jpg", "mininoel/b.jpg@2x.jpg", "picnoel/b.jpg"},
       1,
       2,
       false,
       true},
      {"standalone, Oui: the unchanged stay, the rest goes",
       [](Gallery& g) { g.job.List1.removeLast(); },
       {},
       0,
       2,
       true,
       true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Gallery g;
    g.job.Check7 = c.standalone;
    ASSERT_TRUE(g.run(g.dest).errors.isEmpty());
    const auto before = g.stamps();
    c.change(g);
    const RunReport report = c.replace ? g.run(g.dest, {true, true}) : g.run(g.dest);
    EXPECT_TRUE(report.errors.isEmpty()) << report.errors.join('\n').toStdString();
    EXPECT_EQ(report.drawn, c.drawn);
    EXPECT_EQ(report.unchanged, c.unchanged);
    QStringList touched;
    for (const auto& [name, id] : g.stamps()) {
      const auto was = before.find(name);
      if (was == before.end() || !(was->second == id))
        touched << name;
    }
    EXPECT_EQ(touched.join(' ').toStdString(), c.touched.join(' ').toStdString());
    if (c.replace) {
      QStringList left, linked = g.gallery().filter("/");
      for (const auto& [name, id] : g.stamps())
        left << name;
      linked.sort();
      EXPECT_EQ(left.join(' ').toStdString(), linked.join(' ').toStdString());
    }

    const QString fresh = g.tmp.path() + "/fresh/";
    ASSERT_TRUE(g.run(fresh).errors.isEmpty());
    for (const QString& file : g.gallery()) {
      SCOPED_TRACE(file.toStdString());
      EXPECT_FALSE(readAll(g.dest + file).isEmpty());
      EXPECT_TRUE(readAll(g.dest + file) == readAll(fresh + file));
    }
  }
}

TEST(Rerun, DryRunTouchesNothingAndPruneDeletesOnlyWhatEarlierRunsWroteForDroppedPictures) {
  Gallery g;
  g.job.Check7 = 1;
  ASSERT_TRUE(g.run(g.dest).errors.isEmpty());
  writeFile(g.dest + "picnoel/mine.jpg", "the user's own");  // the record does not name it
  writeFile(g.src + "b.jpg", sourceBytes().at("autre.jpg"));
  g.job.List1.removeLast();  // c.jpg is no longer listed

  const auto before = g.stamps();
  const auto plan = [&](bool force, bool replace, bool prune) {
    FakeView answers;
    answers.answers = {replace, replace};
    RunOptions options = g.options;
    options.force = force;
    options.prune = prune;
    return describe(planGallery(g.job, options, answers, PlanMode::DryRun));
  };
  const DryRun pruning = plan(false, false, true);
  EXPECT_EQ(pruning.toDraw, QStringList{g.src + "b.jpg (photo modifiée)"});
  EXPECT_EQ(pruning.unchanged, QStringList{g.src + "a.jpg"});
  const QString why = " (écrit pour une photo qui n'est plus dans la liste)";
  QStringList toDelete = pruning.toDelete;
  toDelete.sort();
  EXPECT_EQ(toDelete,
            (QStringList{g.dest + "mininoel/c.jpg" + why, g.dest + "mininoel/c.jpg@2x.jpg" + why,
                         g.dest + "picnoel/c.jpg" + why}));
  const DryRun replacing = plan(true, true, false);
  EXPECT_EQ(replacing.toDraw.size(), 2);
  EXPECT_EQ(replacing.toDelete.size(), 4);  // c's three and the user's file
  EXPECT_TRUE(g.stamps() == before);

  g.options.prune = true;
  EXPECT_TRUE(g.run(g.dest).errors.isEmpty());
  const auto after = g.stamps();
  EXPECT_EQ(after.count("picnoel/c.jpg") + after.count("mininoel/c.jpg") +
                after.count("mininoel/c.jpg@2x.jpg"),
            0u);
  EXPECT_EQ(after.count("mininoel/a.jpg@2x.jpg"), 1u);
  EXPECT_EQ(readAll(g.dest + "picnoel/mine.jpg"), "the user's own");
}

// The record's own rules: any name survives it, and a record cut at a line
// end, or an entry whose file has the recorded size but another time, does
// not vouch for anything.
TEST(GalleryRecord, NamesSurviveAndOnlyAWholeRecordOfTheSameFilesCounts) {
  QTemporaryDir tmp;
  const QString file = tmp.filePath("record");
  GalleryRecord record;
  RecordEntry entry{"picnoel/a\tb%\n.jpg", 3, 1000, "/photos/a\tb.jpg", {1, 2, 3, 4}, "copie"};
  record.put(entry);
  record.put({"mininoel/c.jpg", 5, 2000, "/photos/c.jpg", {1, 5, 6, 7}, "miniature"});
  ASSERT_TRUE(record.save(file));
  const QByteArray bytes = readAll(file);
  const GalleryRecord back = GalleryRecord::parse(bytes);
  ASSERT_EQ(back.entries().size(), 2u);
  EXPECT_EQ(back.find(entry.output)->source, entry.source);
  EXPECT_EQ(bytes.count('\n'), 4);  // the tab and line break in the name are escaped
  QByteArray cut = bytes;
  cut.replace("end 2", "end 1");
  EXPECT_TRUE(GalleryRecord::parse(cut).isEmpty());
  EXPECT_TRUE(GalleryRecord::parse(bytes.left(bytes.indexOf("mininoel"))).isEmpty());

  writeFile(tmp.filePath("a"), "abc");
  RecordEntry onDisk = GalleryRecord::entryFor("a", tmp.filePath("a"));
  EXPECT_TRUE(GalleryRecord::stillOnDisk(onDisk, tmp.filePath("a")));
  onDisk.mtimeNs += 1;
  EXPECT_FALSE(GalleryRecord::stillOnDisk(onDisk, tmp.filePath("a")));
}

// On a destination that folds case (simulated here), names that differ only
// in case are one file: the earlier picture is an error entry naming the
// later, and --prune keeps the file the page links under the other spelling.
TEST(Rerun, ACaseFoldingDestinationLosesNoPictureSilently) {
  platform::setCaseFoldingProbe([](const QString&) { return true; });
  Gallery g;
  writeFile(g.src + "A.jpg", sourceBytes().at("autre.jpg"));
  g.job.List1 = {g.src + "A.jpg", g.src + "a.jpg"};
  RunReport report = g.run(g.dest);
  ASSERT_EQ(report.errors, QStringList{"Une erreur s'est produite... (" + g.src + "A.jpg)"});
  EXPECT_TRUE(report.reasons.at(0).contains("« " + g.src + "a.jpg »"));
  EXPECT_FALSE(QFile::exists(g.dest + "picnoel/A.jpg"));

  g.job.List1 = {g.src + "A.jpg"};  // recorded as a.jpg, which on this disk it is
  g.options.prune = true;
  report = g.run(g.dest);
  EXPECT_TRUE(QFile::exists(g.dest + "picnoel/a.jpg"));
  platform::setCaseFoldingProbe({});
}
