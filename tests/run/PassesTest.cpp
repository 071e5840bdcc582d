// vips (through glib) must come before Qt, whose "signals" keyword it uses as a name.
#include "imaging/TestPictures.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>

#include <sys/stat.h>

#include <functional>
#include <map>

#include "imaging/CImageInfo.h"
#include "run/GalleryLock.h"
#include "run/GalleryRecord.h"
#include "run/Passes.h"
#include "run/ProcessingRun.h"
#include "support/FakeView.h"

using namespace pixolane;
using namespace pixolane::job;
using namespace pixolane::run;
using namespace pixolane::imaging;
using pixolane::imaging::test::detailedPicture;
using pixolane::imaging::test::saveJpeg;
using pixolane::test::FakeView;

namespace {

class Passes : public ::testing::Test {
 protected:
  QTemporaryDir tmp;
  QString src = tmp.path() + "/src/";
  QString dest = tmp.path() + "/site/";
  FakeView view;

  void SetUp() override { QDir().mkpath(src); }

  QString picture(const QString& name, int w, int h) {
    saveJpeg(detailedPicture(w, h), src + name);
    return src + name;
  }
  QString notAPicture(const QString& name) {
    QFile f(src + name);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("this is not a JPEG");
    return src + name;
  }
  GalleryJob job(const QStringList& list) {
    GalleryJob j;
    j.List1 = list;
    j.Text3 = dest;
    j.Text4 = "noel";
    return j;
  }
  RunReport run(const GalleryJob& j, int workers = 2) {
    ProcessingRun r(
        j, view,
        RunOptions{.workers = workers, .sep = '/', .previewFolder = tmp.path() + "/preview/"});
    r.Form_Load();
    return r.Timer1_Timer();
  }
  static std::pair<int, int> sizeOf(const QString& path) {
    CImageInfo info;
    EXPECT_EQ(info.ReadImageInfo(path), CImageInfo::Status::Ok) << path.toStdString();
    return {info.Width(), info.Height()};
  }
  QStringList leftovers() {
    QStringList found;
    QDirIterator it(dest, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
      const QString f = it.next();
      if (!f.endsWith(".jpg") && !f.endsWith(".php"))
        found << f;
    }
    return found;
  }
};

}  // namespace

TEST_F(Passes, ResizePassWritesPicturesThumbnailsAndPageWithProgress) {
  const QStringList list = {picture("a.jpg", 400, 300), picture("b.jpg", 300, 400),
                            picture("c.jpg", 300, 300)};
  GalleryJob j = job(list);
  j.LargeurCible = 200;
  j.HauteurCible = 150;
  const RunReport report = run(j);
  EXPECT_TRUE(report.errors.isEmpty());
  EXPECT_EQ(report.picturesWritten, 3);
  EXPECT_EQ(report.pagePath, dest + "noel.php");
  EXPECT_TRUE(QFile::exists(report.pagePath));
  EXPECT_EQ(sizeOf(dest + "picnoel/a.jpg"), std::make_pair(200, 149));
  EXPECT_EQ(sizeOf(dest + "picnoel/b.jpg"), std::make_pair(112, 150));
  EXPECT_EQ(sizeOf(dest + "picnoel/c.jpg"), std::make_pair(150, 150));
  EXPECT_EQ(sizeOf(dest + "mininoel/a.jpg"), std::make_pair(100, 74));
  EXPECT_EQ(sizeOf(dest + "mininoel/b.jpg"), std::make_pair(74, 100));

  EXPECT_EQ(
      view.statuses,
      (QStringList{"Génération des Images Web Etape 1/2", "Génération des miniatures-Etape 2/2",
                   "Génération du fichier php...", "3 images dessinées, 0 inchangée"}));
  EXPECT_EQ(view.captions.first(), "Traitement.... (1/3) a.jpg 0%");
  EXPECT_TRUE(view.captions.contains("Traitement.... (3/3) c.jpg 100%"));
  EXPECT_EQ(view.maxima, (QList<float>{2.0f, 2.0f}));
  EXPECT_EQ(view.value, 2.0f);
  EXPECT_EQ(view.closes, 1);
  EXPECT_TRUE(leftovers().isEmpty());
}

TEST_F(Passes, FixedSizingAndCopyPass) {
  const QString square = picture("sq.jpg", 300, 300);
  GalleryJob j = job({square});
  j.Check2 = 0;
  j.LargeurCible = 200;
  j.HauteurCible = 150;
  run(j);
  EXPECT_EQ(sizeOf(dest + "picnoel/sq.jpg"), std::make_pair(150, 200));  // stretched upright
  EXPECT_EQ(view.maxima, (QList<float>{1.0f, 1.0f}));                    // one picture

  GalleryJob copy = job({square});
  copy.Check3 = 0;
  FakeView second;
  ProcessingRun r(copy, second, RunOptions{.sep = '/'});
  r.Form_Load();
  second.answers = {true, true};
  const RunReport report = r.Timer1_Timer();
  EXPECT_TRUE(report.errors.isEmpty());
  EXPECT_EQ(imaging::test::readAll(dest + "picnoel/sq.jpg"), imaging::test::readAll(square));
  EXPECT_EQ(second.statuses.mid(0, 2),
            (QStringList{"Copie des Images Etape 1/2", "Génération des miniatures Etape 2/2"}));
}

TEST_F(Passes, UnreadableSourceGivesAnErrorEntryAndTheRunGoesOn) {
  const QStringList list = {picture("a.jpg", 320, 240), notAPicture("broken.jpg"),
                            src + "missing.jpg", picture("d.jpg", 240, 320)};
  for (int check3 : {1, 0}) {
    QDir(dest).removeRecursively();
    GalleryJob j = job(list);
    j.Check3 = check3;
    const RunReport report = run(j);
    EXPECT_EQ(report.errors, (QStringList{"Une erreur s'est produite... (" + list[1] + ")",
                                          "Une erreur s'est produite... (" + list[2] + ")"}))
        << "Check3 " << check3;
    QFile page(report.pagePath);
    ASSERT_TRUE(page.open(QIODevice::ReadOnly));
    const QByteArray bytes = page.readAll();
    EXPECT_TRUE(bytes.contains("mininoel/a.jpg") && bytes.contains("mininoel/d.jpg"));
    EXPECT_FALSE(bytes.contains("broken.jpg")) << "a cell without a thumbnail is left out";
    EXPECT_FALSE(bytes.contains("missing.jpg"));
  }
}

TEST_F(Passes, SameFileNameLaterEntryWinsWhateverTheWorkers) {
  QDir().mkpath(src + "other");
  const QString first = picture("x.jpg", 400, 300);
  saveJpeg(detailedPicture(300, 400), src + "other/x.jpg");
  const QStringList list = {first, src + "other/x.jpg", picture("y.jpg", 300, 300)};
  QByteArray photos[2], thumbs[2];
  int k = 0;
  for (int workers : {1, 3}) {
    QDir(dest).removeRecursively();
    GalleryJob j = job(list);
    j.LargeurCible = 200;
    j.HauteurCible = 150;
    run(j, workers);
    EXPECT_EQ(sizeOf(dest + "picnoel/x.jpg"), std::make_pair(112, 150)) << workers;
    photos[k] = imaging::test::readAll(dest + "picnoel/x.jpg");
    thumbs[k] = imaging::test::readAll(dest + "mininoel/x.jpg");
    ++k;
  }
  EXPECT_EQ(photos[0], photos[1]);
  EXPECT_EQ(thumbs[0], thumbs[1]);
}

TEST_F(Passes, CancelledRunStopsWritesNoPageAndLeavesNoTemporaryFiles) {
  QStringList list;
  for (int i = 0; i < 12; ++i)
    list << picture(QString("p%1.jpg").arg(i), 640, 480);
  GalleryJob j = job(list);
  const QThread* owner = QThread::currentThread();
  bool touchedElsewhere = false;
  view.cancelAt = [&](int n) {
    touchedElsewhere |= QThread::currentThread() != owner;
    return n >= 3;
  };
  const RunReport report = run(j, 2);
  EXPECT_TRUE(report.cancelled);
  EXPECT_TRUE(report.pagePath.isEmpty());
  EXPECT_FALSE(QFile::exists(dest + "noel.php"));
  EXPECT_LT(QDir(dest + "picnoel").entryList(QDir::Files).size(), 12);
  EXPECT_TRUE(QDir(dest + "mininoel").entryList(QDir::Files).isEmpty());
  EXPECT_TRUE(leftovers().isEmpty());
  EXPECT_FALSE(touchedElsewhere);
}

TEST_F(Passes, StoppedRunWritesNothingAndSaysWhy) {
  QFile blocker(tmp.path() + "/file");
  ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
  blocker.close();
  GalleryJob j = job({picture("a.jpg", 320, 240)});
  j.Text3 = tmp.path() + "/file/";
  const RunReport report = run(j);
  EXPECT_TRUE(report.stopped);
  EXPECT_EQ(view.errors.size(), 1);
  EXPECT_TRUE(view.errors.first().startsWith("Impossible de créer le dossier"));
}

TEST_F(Passes, PreviewWritesThumbnailsAndPageIntoThePreviewFolderOnly) {
  const QString folder = tmp.path() + "/preview/";
  QDir().mkpath(folder);
  QFile stale(folder + "stale.jpg");
  ASSERT_TRUE(stale.open(QIODevice::WriteOnly));
  stale.close();
  QFile(folder + ".pixolane-apercu").open(QIODevice::WriteOnly);  // an earlier preview's folder
  GalleryJob j;  // no destination, no page name: the preview does not need them
  j.List1 = {picture("a.jpg", 400, 300), picture("b.jpg", 300, 400)};
  j.ModeApercu = -1;
  j.Text5 = "Noël";
  const RunReport report = run(j);
  EXPECT_EQ(report.pagePath, folder + "temp.html");
  EXPECT_EQ(view.navigated, QStringList{folder + "temp.html"});
  EXPECT_EQ(QDir(folder).entryList(QDir::Files, QDir::Name),
            (QStringList{"a.jpg", "b.jpg", "stale.jpg", "temp.html"}));  // no preview wrote stale
  EXPECT_EQ(sizeOf(folder + "b.jpg"), std::make_pair(74, 100));
  EXPECT_EQ(view.statuses,
            (QStringList{"Génération des miniatures (Aperçu)", "Génération du fichier Html..."}));
  EXPECT_FALSE(QDir(dest).exists());
}

TEST_F(Passes, FullSizeThatCannotBeDrawnStillGetsItsThumbnailAndCell) {
  GalleryJob j = job({picture("a.jpg", 320, 240)});
  j.LargeurCible = j.HauteurCible = 65500;  // past the drawing limit, as no launch check allows
  const RunReport report = run(j);
  EXPECT_EQ(report.errors, QStringList{"Une erreur s'est produite... (" + j.List1[0] + ")"});
  EXPECT_TRUE(report.reasons.value(0).startsWith("Taille de dessin invalide"));
  EXPECT_FALSE(QFile::exists(dest + "picnoel/a.jpg"));
  EXPECT_EQ(sizeOf(dest + "mininoel/a.jpg"), std::make_pair(100, 74));
  QFile page(report.pagePath);
  ASSERT_TRUE(page.open(QIODevice::ReadOnly));
  EXPECT_TRUE(page.readAll().contains("mininoel/a.jpg"));
}

TEST_F(Passes, SourcesWhereTheRunWritesStopItBeforeAnythingIsTouched) {
  struct Case {
    QString folder;  // where the source lies, under the destination
    QString name;
    bool throughLink;
  };
  const Case cases[] = {{"picnoel/", "a.jpg", false},
                        {"mininoel/", "a.jpg", false},
                        {"picnoel/", "a.jpg", true},
                        {"", "noel.php", false}};
  for (const Case& c : cases) {
    SCOPED_TRACE((c.folder + c.name).toStdString());
    QDir(dest).removeRecursively();
    QDir().mkpath(dest + c.folder);
    saveJpeg(detailedPicture(320, 240), dest + c.folder + c.name);
    QString source = dest + c.folder + c.name;
    if (c.throughLink) {
      QFile::remove(src + "lien.jpg");
      ASSERT_TRUE(QFile::link(source, src + "lien.jpg"));
      source = src + "lien.jpg";
    }
    const QByteArray before = [&] {
      QFile f(dest + c.folder + c.name);
      return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }();
    view = FakeView{};
    const RunReport report = run(job({picture("b.jpg", 320, 240), source}));
    EXPECT_TRUE(report.stopped);
    EXPECT_TRUE(view.questions.isEmpty());
    ASSERT_EQ(view.errors.size(), 1);
    EXPECT_TRUE(view.errors[0].startsWith("L'image " + source)) << view.errors[0].toStdString();
    QFile kept(dest + c.folder + c.name);
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), before);
    EXPECT_EQ(QDir(dest).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).size(), 1);
  }
}

// Before anything is touched: a linked output folder, a second run, a page of
// the user's. Then what a "Oui" gives up goes only once the new page is in place.
TEST_F(Passes, GalleryIsPreparedWithoutLosingAnything) {
  const QStringList list = {picture("a.jpg", 320, 240)};
  const auto put = [](const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
  };
  const QString elsewhere = tmp.path() + "/docs/";
  put(elsewhere + "notes.txt", "notes");
  put(dest + "mininoel/old.jpg", "old");
  struct Case {
    const char* name;
    std::function<void()> setUp;
    QString mustSay;  // in the stop message; empty: the run declines or goes on
  };
  GalleryLock other;
  const Case cases[] = {
      {"linked photos folder",
       [&] { ASSERT_TRUE(QFile::link(elsewhere.chopped(1), dest + "picnoel")); },
       "est un lien vers " + elsewhere.chopped(1)},
      {"second run",
       [&] {
         QFile::remove(dest + "picnoel");
         QString message;
         other = GalleryLock::take(dest, "noel", &message);
         ASSERT_TRUE(other.held()) << message.toStdString();
       },
       "déjà en cours de création"},
      {"page of the user's",
       [&] {
         other = GalleryLock();
         put(dest + "noel.php", "<?php include 'site.php'; ?>");
         view.answers = {false};
       },
       ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    view = FakeView();
    c.setUp();
    const RunReport report = run(job(list));
    EXPECT_TRUE(report.stopped);
    EXPECT_EQ(report.stopMessage.contains(c.mustSay), true) << report.stopMessage.toStdString();
    EXPECT_EQ(view.questions.size(), c.mustSay.isEmpty() ? 1 : 0);
    EXPECT_EQ(imaging::test::readAll(elsewhere + "notes.txt"), "notes");
    EXPECT_EQ(imaging::test::readAll(dest + "mininoel/old.jpg"), "old");
    EXPECT_FALSE(QFile::exists(elsewhere + "a.jpg"));
  }
  EXPECT_EQ(view.questions, QStringList{"Le fichier noel.php existe et n'a pas été créé par "
                                        "Pixolane. Le remplacer ?"});
  view.answers = {false};
  EXPECT_TRUE(run(job(list)).declined);
  EXPECT_EQ(imaging::test::readAll(dest + "noel.php"), "<?php include 'site.php'; ?>");

  // Oui to both: the old thumbnail is still there while the new page is written.
  struct WatchingView : FakeView {
    std::function<void(const QString&)> onStatus;
    void setStatus(const QString& s) override {
      FakeView::setStatus(s);
      onStatus(s);
    }
  } watching;
  watching.answers = {true, true};
  bool oldThereAtPage = false;
  watching.onStatus = [&](const QString& s) {
    if (s.startsWith("Génération du fichier php"))
      oldThereAtPage = QFile::exists(dest + "mininoel/old.jpg");
  };
  QFile::remove(dest + "noel.php");
  ProcessingRun r(job(list), watching, RunOptions{.sep = '/'});
  r.Form_Load();
  const RunReport replaced = r.Timer1_Timer();
  EXPECT_TRUE(replaced.errors.isEmpty()) << replaced.errors.join('\n').toStdString();
  EXPECT_TRUE(oldThereAtPage);
  EXPECT_FALSE(QFile::exists(dest + "mininoel/old.jpg"));
  EXPECT_TRUE(QFile::exists(dest + "mininoel/a.jpg"));
}

// The record only saves time: a damaged one costs a full run, never a
// different byte, and a page the record vouches for is replaced without asking.
TEST_F(Passes, DamagedRecordGivesTheSameGallery) {
  const QStringList list = {picture("a.jpg", 320, 240), picture("b.jpg", 240, 320)};
  run(job(list));
  const auto bytesOf = [&] {
    std::map<QString, QByteArray> files;
    for (const char* name : {"noel.php", "picnoel/a.jpg", "mininoel/b.jpg"})
      files[name] = imaging::test::readAll(dest + name);
    return files;
  };
  const auto first = bytesOf();
  const QString record = GalleryRecord::pathFor(dest, "noel");
  ASSERT_FALSE(GalleryRecord::load(record).isEmpty());
  ASSERT_TRUE(GalleryRecord::load(record).find("noel.php"));
  for (const QByteArray& damage : {QByteArray("pixolane-record 1\nnot\tan\tentry\n"),
                                   QByteArray("\xff\xfe garbage"), QByteArray()}) {
    QFile f(record);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(damage);
    f.close();
    EXPECT_TRUE(GalleryRecord::load(record).isEmpty());
    view = FakeView();
    view.answers = {true, true};
    const RunReport report = run(job(list));
    EXPECT_TRUE(report.errors.isEmpty());
    EXPECT_EQ(bytesOf(), first);
    EXPECT_EQ(GalleryRecord::load(record).entries().size(), 5u);  // two of each and the page
  }
}

// The record lives in the user's data folder, never in the published one: a
// record an earlier version left there is taken over once and removed, a page
// whose bytes are not the ones recorded is the user's, and a special file
// where the record should be stops the run instead of hanging it.
TEST_F(Passes, TheRecordIsKeptOutOfTheGalleryAndDecidesWhatIsTheUsers) {
  const QStringList list = {picture("a.jpg", 320, 240)};
  run(job(list));
  const QString record = GalleryRecord::pathFor(dest, "noel");
  EXPECT_FALSE(record.startsWith(dest));
  EXPECT_EQ(QDir(dest).entryList(QDir::Hidden | QDir::AllEntries | QDir::NoDotAndDotDot),
            (QStringList{"mininoel", "noel.php", "picnoel"}));

  // Taken over from where an earlier version kept it: nothing is drawn again.
  const QString legacy = GalleryRecord::legacyPathFor(dest, "noel");
  ASSERT_TRUE(QFile::rename(record, legacy));
  QFile(legacy + "-verrou").open(QIODevice::WriteOnly);
  RunReport report = run(job(list));
  EXPECT_EQ(report.unchanged, 1);
  EXPECT_FALSE(QFile::exists(legacy) || QFile::exists(legacy + "-verrou"));
  EXPECT_TRUE(QFile::exists(record));

  // An edit that keeps the footer, the size and the time is still the user's.
  const QString page = dest + "noel.php";
  QByteArray bytes = imaging::test::readAll(page);
  const QDateTime time = QFileInfo(page).lastModified();
  bytes[bytes.indexOf("Retour")] = 'r';
  {
    QFile f(page);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
    ASSERT_TRUE(f.setFileTime(time, QFileDevice::FileModificationTime));
  }
  view = FakeView();
  view.answers = {false};
  EXPECT_TRUE(run(job(list)).declined);
  EXPECT_EQ(view.questions.size(), 1);
  EXPECT_EQ(imaging::test::readAll(page), bytes);

  ASSERT_TRUE(QFile::remove(record));
  ASSERT_EQ(::mkfifo(QFile::encodeName(record).constData(), 0600), 0);
  view = FakeView();
  report = run(job(list));
  EXPECT_TRUE(report.stopped);
  EXPECT_TRUE(report.stopMessage.contains("tube nommé")) << report.stopMessage.toStdString();
  EXPECT_EQ(imaging::test::readAll(page), bytes);
  QFile::remove(record);
}
