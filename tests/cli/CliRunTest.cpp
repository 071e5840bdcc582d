// pixolane-cli run as a user runs it: the files it writes, what it prints, and
// its exit codes.
// libvips (through glib) first: Qt's keyword macros would break its headers.
#include "cli/CliSupport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <fcntl.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <set>

#include "imaging/ExifDate.h"
#include "imaging/StripPrivate.h"

using namespace pixolane::clitest;

namespace {

constexpr std::uint8_t kBaseline = 0xC0;
constexpr std::uint8_t kProgressive = 0xC2;

class Cli : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(tmp.isValid());
    isolateUserData();
    ASSERT_FALSE(cliPath().isEmpty()) << "no pixolane-cli: set PIXOLANE_CLI or build it";
  }

  QString at(const QString& relative) const { return tmp.path() + "/" + relative; }
  QString dest() const { return at("site"); }
  QString pic(const QString& page, const QString& name) const {
    return dest() + "/pic" + page + "/" + name;
  }
  QString mini(const QString& page, const QString& name) const {
    return dest() + "/mini" + page + "/" + name;
  }
  QStringList gallery(const QString& page, QStringList more) const {
    return QStringList{"-d", dest(), "-n", page} + more;
  }
  QString picture(const QString& relative, int w, int h, int quality = 90) {
    drawJpeg(at(relative), w, h, quality);
    return at(relative);
  }

  QTemporaryDir tmp;
};

void expectJpeg(const QString& path, int w, int h, std::uint8_t frame, int quality) {
  SCOPED_TRACE(path.toStdString());
  const JpegInfo info = jpegInfoOf(path);
  ASSERT_TRUE(info.valid);
  EXPECT_EQ(info.width, w);
  EXPECT_EQ(info.height, h);
  EXPECT_EQ(info.frame, frame);
  EXPECT_EQ(identifyQuality(path), quality);
}

QList<QByteArray> pageLines(const QString& path) {
  QList<QByteArray> lines = readAll(path).split('\n');
  EXPECT_TRUE(lines.last().isEmpty()) << "last line without CR LF";
  lines.removeLast();
  for (QByteArray& line : lines) {
    EXPECT_TRUE(line.endsWith('\r')) << line.toStdString();
    line.chop(1);
  }
  return lines;
}

}  // namespace

TEST_F(Cli, ResizesProportionallyAtTheAskedQualityAndProgressive) {
  const QString wide = picture("src/paysage.jpg", 3072, 2304);
  const QString tall = picture("src/portrait.jpg", 900, 1200);
  const QString square = picture("src/carre.jpg", 500, 500);  // smaller than the box: enlarged
  const auto r = runCli(gallery("vacances", {"-s", "800x600", "-q", "85", "--thumbs", "medium",
                                             "--quiet", wide, tall, square}));
  ASSERT_EQ(r.exitCode, 0) << r.errText().toStdString();
  EXPECT_EQ(r.lastOutLine(), dest() + "/vacances.php");
  EXPECT_TRUE(r.err.isEmpty()) << r.errText().toStdString();

  expectJpeg(pic("vacances", "paysage.jpg"), 800, 599, kProgressive, 85);
  expectJpeg(pic("vacances", "portrait.jpg"), 449, 600, kProgressive, 85);
  expectJpeg(pic("vacances", "carre.jpg"), 600, 600, kProgressive, 85);
  // Thumbnails: always proportional, always quality 100.
  expectJpeg(mini("vacances", "paysage.jpg"), 140, 104, kProgressive, 100);
  expectJpeg(mini("vacances", "portrait.jpg"), 104, 140, kProgressive, 100);
  expectJpeg(mini("vacances", "carre.jpg"), 140, 140, kProgressive, 100);
}

TEST_F(Cli, StretchedAndCustomSizesBaseline) {
  const QString wide = picture("src/l.jpg", 400, 300);
  const QString tall = picture("src/p.jpg", 300, 400);
  const QString square = picture("src/s.jpg", 256, 256);
  struct Case {
    QStringList args;
    int w, h;  // landscape result; portrait and square get h x w
  } cases[] = {
      {{"-s", "800x600"}, 800, 600},
      {{"-s", "500x250"}, 500, 250},  // custom size, taken by the launch check
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args.join(' ').toStdString());
    const auto r = runCli(gallery("g", c.args + QStringList{"--stretch", "--baseline", "--replace",
                                                            "--quiet", wide, tall, square}));
    ASSERT_EQ(r.exitCode, 0) << r.errText().toStdString();
    expectJpeg(pic("g", "l.jpg"), c.w, c.h, kBaseline, 100);
    expectJpeg(pic("g", "p.jpg"), c.h, c.w, kBaseline, 100);
    expectJpeg(pic("g", "s.jpg"), c.h, c.w, kBaseline, 100);
    expectJpeg(mini("g", "l.jpg"), 100, 74, kBaseline, 100);
    expectJpeg(mini("g", "p.jpg"), 74, 100, kBaseline, 100);
    expectJpeg(mini("g", "s.jpg"), 100, 100, kBaseline, 100);
  }
}

TEST_F(Cli, CopyKeepsEverySourceByteForByte) {
  const QString plain = picture("src/a.jpg", 320, 240, 40);
  const QString turned = picture("src/tourne.JPG", 400, 300, 75);
  // An EXIF orientation of 6: the copy keeps it, the thumbnail is drawn upright.
  // Its GPS position is copied too, with a warning.
  QProcess exif;
  exif.start("/usr/bin/exiftool", {"-Orientation=6", "-n", "-GPSLatitude=48.85",
                                   "-GPSLatitudeRef=N", "-overwrite_original", turned});
  ASSERT_TRUE(exif.waitForFinished(30000));
  ASSERT_EQ(exif.exitCode(), 0) << exif.readAllStandardError().toStdString();

  const auto r = runCli(gallery("c", {"--copy", "-q", "10", "-s", "320x240", plain, turned}));
  ASSERT_EQ(r.exitCode, 0) << r.errText().toStdString();
  EXPECT_EQ(readAll(pic("c", "a.jpg")), readAll(plain));
  EXPECT_EQ(readAll(pic("c", "tourne.JPG")), readAll(turned));
  expectJpeg(mini("c", "a.jpg"), 100, 74, kProgressive, 100);
  expectJpeg(mini("c", "tourne.JPG"), 74, 100, kProgressive, 100);
  EXPECT_TRUE(r.errText().contains("Copie des Images Etape 1/2\n"));
  EXPECT_TRUE(r.errText().contains("Génération des miniatures Etape 2/2\n"));
  EXPECT_TRUE(
      r.errText().contains("Attention : 1 images contiennent leur position GPS. "
                           "--strip-private la retire des copies.\n"));
}

TEST_F(Cli, StrippedCopiesAndTheStandalonePageBesideAnUnchangedPhpPage) {
  const QString located = picture("src/b.jpg", 320, 240);
  QProcess exif;
  exif.start("/usr/bin/exiftool",
             {"-GPSLatitude=48.85", "-GPSLatitudeRef=N", "-overwrite_original", located});
  ASSERT_TRUE(exif.waitForFinished(30000));
  const auto plain = runCli(gallery("g", {"--copy", "--quiet", located}));
  ASSERT_EQ(plain.exitCode, 0) << plain.errText().toStdString();
  const QByteArray php = readAll(dest() + "/g.php");

  // A g.html the program did not write is someone's: without a Yes nothing is written.
  QFile foreign(dest() + "/g.html");
  ASSERT_TRUE(foreign.open(QIODevice::WriteOnly));
  foreign.write("<p>ma page</p>");
  foreign.close();
  const auto kept = runCli(gallery("g", {"--copy", "--standalone", "--keep", "--quiet", located}));
  EXPECT_EQ(kept.exitCode, 2) << kept.errText().toStdString();
  EXPECT_EQ(readAll(dest() + "/g.html"), "<p>ma page</p>");

  const auto r = runCli(
      gallery("g", {"--copy", "--standalone", "--strip-private", "--replace", "--quiet", located}));
  ASSERT_EQ(r.exitCode, 0) << r.errText().toStdString();
  EXPECT_FALSE(r.errText().contains("GPS"));
  EXPECT_FALSE(
      pixolane::imaging::hasGpsPosition(pixolane::imaging::readExifBlock(pic("g", "b.jpg"))));
  EXPECT_EQ(readAll(dest() + "/g.php"), php);
  EXPECT_TRUE(
      readAll(dest() + "/g.html").contains("<a href=\"picg/b.jpg\"><img src=\"minig/b.jpg\""));
  // Its own page is rewritten without a question.
  const auto again =
      runCli(gallery("g", {"--copy", "--standalone", "--keep", "-t", "Deux", located}));
  ASSERT_EQ(again.exitCode, 0) << again.errText().toStdString();
  EXPECT_TRUE(readAll(dest() + "/g.html").contains("<title>Deux</title>"));
}

TEST_F(Cli, PageLinesForNamesSitePrefixAndOddFileNames) {
  const QString plain = picture("src/a b.jpg", 400, 300);
  const QString odd = picture("src/Été#1.jpg", 300, 400);
  const QString title = "Titre à part";
  auto r = runCli(gallery("noel", {"--names", "--site", "galerie/2006", "--border", "1", "-t",
                                   title, "--quiet", plain, odd}));
  ASSERT_EQ(r.exitCode, 0) << r.errText().toStdString();
  const QString page = dest() + "/noel.php";
  ASSERT_EQ(r.lastOutLine(), page);
  QList<QByteArray> lines = pageLines(page);
  ASSERT_EQ(lines.size(), 18);  // A B C E, two cells of D2 F E G G, H I A J
  EXPECT_EQ(lines[0],
            "<div align=\"center\"><a href=\"famille_index.php?choix=4\" title=\"Retour\" "
            "target=\"_top\">Retour</a></div>");
  EXPECT_EQ(lines[4],
            "     <td width=\"128\" align=\"center\" height=\"70\"><a "
            "href=\"galerie/2006/picnoel/a%20b.jpg\" target=\"mainFrame\"> ");
  EXPECT_EQ(lines[5],
            "     <img border=\"1\" src=\"galerie/2006/mininoel/a%20b.jpg\" width=\"100\" "
            "height=\"74\"></a><p>a b.jpg</td>");
  // Links carry the name's UTF-8 bytes percent-encoded ('#' would end the URL),
  // the text numeric references: the page is plain ASCII.
  EXPECT_EQ(lines[9],
            "     <td width=\"128\" align=\"center\" height=\"70\"><a "
            "href=\"galerie/2006/picnoel/%C3%89t%C3%A9%231.jpg\" target=\"mainFrame\"> ");
  EXPECT_EQ(lines[10],
            "     <img border=\"1\" src=\"galerie/2006/mininoel/%C3%89t%C3%A9%231.jpg\" "
            "width=\"74\" height=\"100\"></a><p>&#201;t&#233;#1.jpg</td>");
  EXPECT_EQ(lines[14], "</tr>");
  EXPECT_FALSE(readAll(page).contains("Titre"));  // the title is the preview's only
  EXPECT_FALSE(readAll(page).startsWith("\xEF\xBB\xBF"));

  // New-window form: the link loses the site prefix, the thumbnail keeps it.
  r = runCli(gallery("noel", {"--new-window", "--site", "galerie", "--replace", "--quiet", plain}));
  ASSERT_EQ(r.exitCode, 0) << r.errText().toStdString();
  lines = pageLines(page);
  ASSERT_EQ(lines.size(), 14);
  EXPECT_EQ(lines[4], "<td width=\"128\" align=\"center\" height=\"70\">");
  EXPECT_EQ(lines[5], "<a href=\"picnoel/a%20b.jpg\" target= \"_blank\">");
  EXPECT_EQ(lines[6],
            "     <img border=\"2\" src=\"galerie/mininoel/a%20b.jpg\" width=\"100\" "
            "height=\"74\"></a></td>");
}

TEST_F(Cli, UnreadablePicturesAreReportedAndLeftOutOfThePage) {
  const QString good1 = picture("src/un.jpg", 320, 240);
  const QString good2 = picture("src/trois.jpg", 240, 320);
  const QString text = at("src/deux.jpg");
  const QString empty = at("src/vide.jpg");
  const QString cut = picture("src/coupe.jpg", 320, 240);
  {
    QFile f(text);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("pas une image\n");
    QFile e(empty);
    ASSERT_TRUE(e.open(QIODevice::WriteOnly));
    ASSERT_TRUE(QFile::resize(cut, QFileInfo(cut).size() * 6 / 10));
  }
  for (const QString mode : {"--stretch", "--copy"}) {
    SCOPED_TRACE(mode.toStdString());
    const auto r = runCli(gallery("g", {mode, "--replace", good1, text, empty, good2, cut}));
    ASSERT_FALSE(r.crashed);
    EXPECT_EQ(r.exitCode, 1);
    // Each entry, in list order, with its reason indented on the next line.
    const QString entries = "Une erreur s'est produite... (" + text +
                            ")\n    Impossible de lire l'image « " + text +
                            " » : le fichier est illisible ou n'est pas une image reconnue.\n"
                            "Une erreur s'est produite... (" +
                            empty + ")\n    Impossible de lire";
    EXPECT_TRUE(r.errText().contains(entries)) << r.errText().toStdString();
    EXPECT_EQ(r.lastOutLine(), dest() + "/g.php");  // the run went on to its page
    for (const QString name : {"un.jpg", "trois.jpg"}) {
      EXPECT_TRUE(jpegInfoOf(pic("g", name)).valid) << name.toStdString();
      EXPECT_TRUE(jpegInfoOf(mini("g", name)).valid) << name.toStdString();
    }
    EXPECT_TRUE(r.errText().contains("coupe.jpg » : image incomplète ou endommagée"));
    // Nothing is published of them, not even a copy.
    const QByteArray page = readAll(dest() + "/g.php");
    EXPECT_EQ(page.count("<img "), 2);
    for (const QString name : {"deux.jpg", "vide.jpg", "coupe.jpg"}) {
      EXPECT_FALSE(QFile::exists(pic("g", name))) << name.toStdString();
      EXPECT_FALSE(QFile::exists(mini("g", name))) << name.toStdString();
      EXPECT_FALSE(page.contains(name.toUtf8()));
    }
  }

  // A name that is not UTF-8 (Latin-1, from an old camera) is an error entry,
  // listed from a folder or named; names are printed with their control
  // characters escaped, so a name cannot drive the terminal.
  QDir().mkpath(at("bruts"));
  picture("bruts/bon.jpg", 64, 48);
  const QByteArray folder = QFile::encodeName(at("bruts/"));
  for (const QByteArray& raw : {folder + "caf\xe9.jpg", folder + "x\x1b]0;T\x07\x1b[2J.jpg"}) {
    const int fd = ::open(raw.constData(), O_WRONLY | O_CREAT, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::write(fd, "pas une image", 13), 13);
    ::close(fd);
  }
  const QString latin = at("bruts/caf\\xE9.jpg");
  // The file named on the command line as its bytes, through the shell.
  const auto runNaming = [&](const QString& escaped) {
    QProcess process;
    prepare(process, {});
    QProcessEnvironment env = process.processEnvironment();
    env.insert("RAW", escaped);
    process.setProcessEnvironment(env);
    process.setProgram("/bin/sh");
    process.setArguments(QStringList{"-c", "exec \"$0\" \"$@\" \"$(printf %b \"$RAW\")\"",
                                     cliPath(), "-d", dest(), "-n", "b", "--replace"});
    process.start();
    process.closeWriteChannel();
    process.waitForFinished(60000);
    return collect(process);
  };
  for (const QString& listed : {at("bruts"), at("bruts/caf\\0351.jpg")}) {
    const auto r = runNaming(listed);
    EXPECT_EQ(r.exitCode, 1) << r.errText().toStdString();
    EXPECT_TRUE(r.errText().contains("Une erreur s'est produite... (" + latin +
                                     ")\n    nom de fichier illisible"))
        << r.errText().toStdString();
    EXPECT_FALSE(r.err.contains('\x1b'));
  }
  EXPECT_TRUE(runNaming(at("bruts")).errText().contains("x\\x1B]0;T\\x07\\x1B[2J.jpg"));
  ::unlink((folder + "caf\xe9.jpg").constData());  // a name QTemporaryDir cannot remove
}

TEST_F(Cli, RefusedLaunchesExitWith2AndWriteNothing) {
  const QString one = picture("src/a.jpg", 64, 48);
  struct Case {
    QStringList args;
    QString message;
  } cases[] = {
      {{"-d", dest(), one}, "Veuillez renseigner le nom de fichier html"},
      {{"-n", "g", one}, "Veuillez renseigner le dossier de sortie"},
      {{"-d", dest(), "-n", "g"}, "Aucune image dans la liste de traitement"},
      {{"--preview", "--preview-dir", dest()}, "Aucune image dans la liste de traitement"},
      {{"-d", dest(), "-n", "g", "-s", "0x600", one},
       "La largeur personnalisée doit être comprise entre 1"},
      {{"-d", dest(), "-n", "g", "-s", "800x70000", one},
       "La hauteur personnalisée doit être comprise entre 1"},
      {{"-d", dest(), "-n", "g", "--vite", one}, "Option inconnue : --vite (voir --help)"},
      {{"-d", dest(), "-n", "g", at("src/absent.jpg")}, "Fichier introuvable : "},
      {{"-d", dest(), "-n", "g", "-q", "0", one}, "Option -q : qualité de 1 à 100"},
      {{"-d", dest(), "--publish-only", "ftp://h/"}, "--publish-only : indiquez la galerie"},
      {{"--preview", "--publish", "ftp://h/", one}, "--publish : un aperçu ne se publie pas."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args.join(' ').toStdString());
    const auto r = runCli(c.args);
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_TRUE(r.errText().startsWith(c.message)) << r.errText().toStdString();
    EXPECT_TRUE(r.out.isEmpty());
    EXPECT_FALSE(QFileInfo::exists(dest()));
  }
  const auto help = runCli({"--help"});
  EXPECT_EQ(help.exitCode, 0);
  EXPECT_TRUE(QString::fromUtf8(help.out).startsWith("Utilisation : pixolane-cli"));
}

// The run's page stays written; the publication's refusal stops with 3.
TEST_F(Cli, APublicationThatCannotConnectStopsWith3AfterTheRun) {
  const QString one = picture("src/a.jpg", 64, 48);
  const QString refusing = "sftp://127.0.0.1:1/galerie/";
  const auto r = runCli(gallery("g", {"--publish", refusing, one}));
  EXPECT_EQ(r.exitCode, 3);
  EXPECT_TRUE(r.errText().contains("Connexion refusée par 127.0.0.1 sur le port 1."))
      << r.errText().toStdString();
  EXPECT_TRUE(QFileInfo::exists(dest() + "/g.php"));
  const auto none = runCli({"-d", dest(), "-n", "autre", "--publish-only", refusing});
  EXPECT_EQ(none.exitCode, 3);
  EXPECT_TRUE(none.errText().startsWith("Aucune galerie « autre » créée par Pixolane"));
}

TEST_F(Cli, FoldersThatCannotBeMadeStopWith3) {
  const QString one = picture("src/a.jpg", 64, 48);
  QFile plain(at("fichier"));
  ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
  plain.close();
  const struct {
    QStringList args;
    const char* says;
  } runs[] = {
      // The destination is told before anything else, with its reason.
      {{"-d", at("fichier/site"), "-n", "g", one},
       "n'est pas accessible en écriture : un élément du chemin n'est pas un dossier"},
      {{"--preview", "--preview-dir", at("fichier/apercu"), one},
       "Impossible de créer le dossier "},
  };
  for (const auto& [args, says] : runs) {
    SCOPED_TRACE(args.join(' ').toStdString());
    const auto r = runCli(args);
    EXPECT_EQ(r.exitCode, 3);
    EXPECT_TRUE(r.errText().contains(QString::fromUtf8(says))) << r.errText().toStdString();
    EXPECT_TRUE(r.out.isEmpty());
  }
}

TEST_F(Cli, InterruptStopsCleanlyWith130) {
  // Enough work for a single worker to still be busy when the signal lands.
  const QString first = picture("src/p000.jpg", 1600, 1200);
  std::set<QString> sources;
  QStringList args = gallery("g", {"-j", "1", "-s", "1280x1024"});
  for (int i = 0; i < 60; ++i) {
    const QString name = QString("p%1.jpg").arg(i, 3, 10, QChar('0'));
    if (i > 0) {
      ASSERT_TRUE(QFile::copy(first, at("src/" + name)));
    }
    sources.insert(name);
  }
  args << at("src");
  // Files of the user's that a cancelled run must leave alone.
  QDir().mkpath(dest() + "/picg");
  QFile mine(dest() + "/notes.txt");
  ASSERT_TRUE(mine.open(QIODevice::WriteOnly));
  mine.write("à garder");
  mine.close();

  QProcess process;
  prepare(process, args);
  process.setReadChannel(QProcess::StandardError);
  process.start();
  ASSERT_TRUE(process.waitForStarted(10000));
  QByteArray err;
  while (!err.contains('\n') && process.state() == QProcess::Running &&
         process.waitForReadyRead(30000))
    err += process.readAllStandardError();
  ASSERT_TRUE(err.startsWith("Génération des Images Web Etape 1/2\n")) << err.toStdString();
  ASSERT_EQ(::kill(pid_t(process.processId()), SIGINT), 0);
  ASSERT_TRUE(process.waitForFinished(60000));
  CliResult r = collect(process);
  r.err.prepend(err);

  EXPECT_FALSE(r.crashed);
  EXPECT_EQ(r.exitCode, 130) << r.errText().toStdString();
  EXPECT_TRUE(r.errText().endsWith("Interrompu : aucune page n'a été écrite.\n"))
      << r.errText().toStdString();
  EXPECT_TRUE(r.out.isEmpty());
  EXPECT_FALSE(QFileInfo::exists(dest() + "/g.php"));

  // What is left: the user's file and complete pictures under their own names.
  const auto tree = treeOf(dest());
  EXPECT_EQ(tree.at("notes.txt"), "à garder");
  int pictures = 0;
  for (const auto& [path, bytes] : tree) {
    if (path == "notes.txt")
      continue;
    SCOPED_TRACE(path.toStdString());
    EXPECT_TRUE(path.startsWith("picg/") || path.startsWith("minig/"));
    EXPECT_EQ(sources.count(path.section('/', 1)), 1u);  // no temporary names
    EXPECT_TRUE(jpegInfo(bytes).valid);
    ++pictures;
  }
  EXPECT_LT(pictures, 60) << "the run finished before it was interrupted";
}

TEST_F(Cli, WorkerCountDoesNotChangeASingleByte) {
  QStringList sources;
  const int sizes[][2] = {{640, 480}, {300, 500}, {500, 500}, {1200, 400}, {333, 222}, {480, 640}};
  for (int i = 0; i < 6; ++i)
    sources << picture(QString("src/%1.jpg").arg(i), sizes[i][0], sizes[i][1]);
  sources << picture("autre/2.jpg", 800, 300);  // same name as an earlier one
  for (const QString mode : {"--stretch", "--copy", "--preview"}) {
    SCOPED_TRACE(mode.toStdString());
    std::map<QString, QByteArray> trees[2];
    const char* jobs[] = {"1", "4"};
    for (int k = 0; k < 2; ++k) {
      const QString out = at(QString("out%1").arg(k));
      const auto r = runCli(QStringList{"-d", out, "-n", "g", "--preview-dir", out + "/apercu",
                                        "--names", "-j", jobs[k], "--thumbs", "large", mode} +
                            sources);
      ASSERT_EQ(r.exitCode, 0) << r.errText().toStdString();
      trees[k] = treeOf(out);
      QDir(out).removeRecursively();
    }
    EXPECT_EQ(namesOf(trees[0]), namesOf(trees[1]));
    EXPECT_TRUE(trees[0] == trees[1]);
    EXPECT_GE(trees[0].size(), 7u);
  }
}

TEST_F(Cli, SameFileNameTwiceTheLaterEntryWinsInBothFolders) {
  const QString wide = picture("un/x.jpg", 400, 300);
  const QString tall = picture("deux/x.jpg", 300, 400);
  const QString other = picture("un/y.jpg", 200, 200);
  struct Case {
    QStringList list;
    bool copy;
    int picW, picH, miniW, miniH;
    QString winner;
  } cases[] = {
      {{wide, other, tall}, false, 359, 480, 74, 100, tall},
      {{tall, other, wide}, false, 640, 479, 100, 74, wide},
      {{wide, tall, other}, true, 0, 0, 74, 100, tall},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.list.join(' ').toStdString());
    const auto r =
        runCli(gallery("g", QStringList{"-j", "4", "--replace", "--quiet"} +
                                (c.copy ? QStringList{"--copy"} : QStringList{}) + c.list));
    ASSERT_EQ(r.exitCode, 0) << r.errText().toStdString();
    if (c.copy) {
      EXPECT_EQ(readAll(pic("g", "x.jpg")), readAll(c.winner));
    } else {
      const JpegInfo p = jpegInfoOf(pic("g", "x.jpg"));
      EXPECT_EQ(p.width, c.picW);
      EXPECT_EQ(p.height, c.picH);
    }
    const JpegInfo m = jpegInfoOf(mini("g", "x.jpg"));
    EXPECT_EQ(m.width, c.miniW);
    EXPECT_EQ(m.height, c.miniH);
    // Both cells show the one thumbnail file.
    const QByteArray page = readAll(dest() + "/g.php");
    const QByteArray size =
        "width=\"" + QByteArray::number(c.miniW) + "\" height=\"" + QByteArray::number(c.miniH);
    EXPECT_EQ(page.count("src=\"minig/x.jpg\" " + size), 2);
  }
}

TEST_F(Cli, KeepOrReplaceTheFilesOfEarlierRuns) {
  const QString one = picture("src/neuf.jpg", 160, 120);
  const QString question =
      "Le dossier de miniatures 'minig' existe...\nVoulez vous éffacer les fichiers existant ?";
  struct Case {
    QStringList answer;
    bool oldKept;
    QString reply;
  } cases[] = {
      {{"--replace"}, false, " Oui\n"},
      {{"--keep"}, true, " Non\n"},
      {{}, true, " Non\n"},  // stdin is not a terminal: keep
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.answer.join(' ').toStdString());
    QDir(dest()).removeRecursively();
    for (const QString& old : {pic("g", "ancien.jpg"), mini("g", "ancien.jpg")}) {
      QDir().mkpath(QFileInfo(old).path());
      QFile f(old);
      ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    QDir().mkpath(dest() + "/minig/sous-dossier");
    const auto r = runCli(gallery("g", c.answer + QStringList{one}));
    ASSERT_EQ(r.exitCode, 0) << r.errText().toStdString();
    EXPECT_TRUE(r.errText().contains(question + c.reply)) << r.errText().toStdString();
    EXPECT_EQ(QFile::exists(pic("g", "ancien.jpg")), c.oldKept);
    EXPECT_EQ(QFile::exists(mini("g", "ancien.jpg")), c.oldKept);
    EXPECT_TRUE(QFileInfo(dest() + "/minig/sous-dossier").isDir());  // never removed
    EXPECT_TRUE(jpegInfoOf(pic("g", "neuf.jpg")).valid);
    EXPECT_TRUE(jpegInfoOf(mini("g", "neuf.jpg")).valid);
    EXPECT_EQ(readAll(dest() + "/g.php").count("<img "), 1);  // the page lists this run only
  }
}

TEST_F(Cli, PreviewWritesThumbnailsAndTempHtmlInItsFolder) {
  const QString wide = picture("src/a.jpg", 400, 300);
  const QString tall = picture("src/b é.jpg", 300, 400);
  const QString folder = at("apercu");
  QDir().mkpath(folder + "/garde");
  for (const QString& old : {folder + "/vieux.jpg", folder + "/temp.html"}) {
    QFile f(old);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  }
  const QStringList args{"--preview", "--preview-dir", folder,    "-t", "Aperçu", "--thumbs",
                         "medium",    "--baseline",    "--names", wide, tall};
  // A folder of the user's that no preview made is refused, nothing deleted.
  const auto refused = runCli(args);
  EXPECT_EQ(refused.exitCode, 2);
  EXPECT_TRUE(refused.errText().contains("n'a pas été créé par un aperçu"));
  EXPECT_TRUE(QFile::exists(folder + "/vieux.jpg"));
  QFile(folder + "/.pixolane-apercu").open(QIODevice::WriteOnly);  // as an earlier preview left it
  const auto r = runCli(args);
  ASSERT_EQ(r.exitCode, 0) << r.errText().toStdString();
  EXPECT_EQ(r.lastOutLine(), folder + "/temp.html");
  EXPECT_TRUE(r.errText().contains("Génération des miniatures (Aperçu)\n"));
  expectJpeg(folder + "/a.jpg", 140, 104, kBaseline, 100);
  expectJpeg(folder + "/b é.jpg", 104, 140, kBaseline, 100);
  // The mark named no file: nothing of the user's went, a file of the same name was replaced.
  EXPECT_TRUE(QFile::exists(folder + "/vieux.jpg"));
  EXPECT_TRUE(QFileInfo(folder + "/garde").isDir());

  const QList<QByteArray> lines = pageLines(folder + "/temp.html");
  ASSERT_GE(lines.size(), 18);
  EXPECT_EQ(lines[0], "<html>");
  EXPECT_EQ(lines[5], "<title>Aper&#231;u</title>");
  EXPECT_TRUE(
      lines.contains("     <img border=\"2\" src=\"b%20%C3%A9.jpg"
                     "\" xthumbnail-orig-image=\"image3(31).JPG\" width=\"104\" "
                     "height=\"140\"></a><p>b &#233;.jpg</td>"));
  EXPECT_FALSE(QFileInfo::exists(dest()));  // no destination is touched

  // The next preview empties the folder of what this one wrote, and only that.
  ASSERT_EQ(runCli(QStringList{"--preview", "--preview-dir", folder, wide}).exitCode, 0);
  EXPECT_FALSE(QFile::exists(folder + "/b é.jpg"));
  EXPECT_TRUE(QFile::exists(folder + "/a.jpg"));
  EXPECT_TRUE(QFile::exists(folder + "/vieux.jpg"));
}

// At a terminal question, Ctrl-C ends the run at once, Ctrl-D and Enter answer No;
// answers are whole lines, and one that is neither yes nor no asks again.
// Nothing is deleted before both questions are answered.
TEST_F(Cli, AnswersAtTheTerminalQuestions) {
  const QString one = picture("src/neuf.jpg", 160, 120);
  const QByteArray old = "ancienne image";
  struct Case {
    std::vector<QByteArray> typed;  // one per prompt
    int exitCode;
    bool oldKept;
  } cases[] = {
      {{"\x03"}, 130, true},
      {{"\x04", "\x04"}, 0, true},
      {{"\n", "\n"}, 0, true},  // a bare Enter keeps the user's files
      {{"n" + QByteArray(62, ' ') + "\n", "n\n"}, 0, true},
      {{"o\n", "\x03"}, 130, true},
      {{"peut-être\n", "o\n", "OUI\n"}, 0, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typed.front().toStdString());
    QDir(dest()).removeRecursively();
    for (const QString& path : {mini("g", "ancien.jpg"), pic("g", "ancien.jpg")}) {
      QDir().mkpath(QFileInfo(path).path());
      QFile f(path);
      ASSERT_TRUE(f.open(QIODevice::WriteOnly));
      f.write(old);
    }

    int terminal = -1;
    const pid_t pid = forkpty(&terminal, nullptr, nullptr, nullptr);
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      const QByteArray exe = QFile::encodeName(cliPath());
      std::vector<QByteArray> args{exe};
      for (const QString& a : gallery("g", {one}))
        args.push_back(a.toUtf8());
      std::vector<char*> argv;
      for (QByteArray& a : args)
        argv.push_back(a.data());
      argv.push_back(nullptr);
      ::execv(exe.constData(), argv.data());
      ::_exit(127);
    }
    QByteArray seen;
    char buffer[512];
    ssize_t n;
    const auto prompts = [&] { return seen.count("[o/N] ") + seen.count("(non) : "); };
    for (size_t k = 0; k < c.typed.size(); ++k) {
      while (prompts() <= qsizetype(k) && (n = ::read(terminal, buffer, sizeof buffer)) > 0)
        seen.append(buffer, n);
      ASSERT_EQ(prompts(), qsizetype(k + 1)) << seen.toStdString();
      ASSERT_EQ(::write(terminal, c.typed[k].constData(), size_t(c.typed[k].size())),
                c.typed[k].size());
    }
    while ((n = ::read(terminal, buffer, sizeof buffer)) > 0)
      seen.append(buffer, n);
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    ::close(terminal);
    EXPECT_EQ(WEXITSTATUS(status), c.exitCode) << seen.toStdString();
    EXPECT_EQ(prompts(), qsizetype(c.typed.size())) << seen.toStdString();
    EXPECT_EQ(QFile::exists(mini("g", "ancien.jpg")), c.oldKept);
    EXPECT_EQ(QFile::exists(pic("g", "ancien.jpg")), c.oldKept);
    EXPECT_EQ(QFile::exists(dest() + "/g.php"), c.exitCode == 0);
    EXPECT_EQ(QFile::exists(pic("g", "neuf.jpg")), c.exitCode == 0);
  }
}

// Plain JPEGs never need the libvips module; without it, a PNG is reported
// with a reason and the rest of the run is done.
TEST_F(Cli, WithoutTheLibvipsModulePlainJpegsAreStillDrawn) {
  const QString jpeg = picture("src/photo.jpg", 320, 240);
  initVips();
  vips::VImage::black(64, 48, vips::VImage::option()->set("bands", 3))
      .write_to_file(at("src/dessin.png").toUtf8().constData());
  // A copy of the program far from the module, with no module named.
  ASSERT_TRUE(QDir().mkpath(at("alone")));
  const QString alone = at("alone/pixolane-cli");
  ASSERT_TRUE(QFile::copy(cliPath(), alone));
  QProcess process;
  prepare(process, gallery("g", {"--replace", jpeg, at("src/dessin.png")}));
  process.setProgram(alone);
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.remove("PIXOLANE_VIPS_MODULE");
  process.setProcessEnvironment(env);
  process.start();
  process.closeWriteChannel();
  ASSERT_TRUE(process.waitForFinished(60000));
  const CliResult r = collect(process);
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_TRUE(r.errText().contains("La bibliothèque d'images n'a pas pu être initialisée."))
      << r.errText().toStdString();
  EXPECT_TRUE(jpegInfoOf(pic("g", "photo.jpg")).valid);
  EXPECT_FALSE(QFile::exists(pic("g", "dessin.png")));
}

namespace {

// Runs a system tool; its error output when it fails.
bool tool(const QString& program, const QStringList& args, QString* output = nullptr) {
  QProcess p;
  p.start(program, args);
  const bool ok =
      p.waitForFinished(30000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
  if (output)
    *output =
        QString::fromLocal8Bit(ok ? p.readAllStandardOutput() : p.readAllStandardError()).trimmed();
  return ok;
}

// An exFAT file system on a loop file, mounted through FUSE while it lives.
struct ExfatMount {
  QString image, folder, loop, why;
  ExfatMount(const QString& image, const QString& folder) : image(image), folder(folder) {
    QDir().mkpath(folder);
    if (QFile f(image); !f.open(QIODevice::WriteOnly) || !f.resize(32 << 20))
      why = "no image file";
    else if (!tool("mkfs.exfat", {image}, &why))
      return;
    else if (!tool("losetup", {"-f", "--show", image}, &loop))
      why = loop, loop.clear();
    else if (!tool("mount.exfat-fuse", {loop, folder}, &why))
      return;
    else
      why.clear();
  }
  ~ExfatMount() {
    tool("umount", {folder});
    if (!loop.isEmpty())
      tool("losetup", {"-d", loop});
  }
};

}  // namespace

// A destination that folds case (exFAT, as on a card or a USB stick): two
// photographs whose names differ only in case do not silently become one,
// and --prune never removes the file the page links.
TEST_F(Cli, CaseFoldingDestinationLosesNoPhotographAndPruneKeepsWhatThePageLinks) {
  const ExfatMount exfat(at("exfat.img"), at("cle"));
  if (!exfat.why.isEmpty() || exfat.loop.isEmpty())
    GTEST_SKIP() << "exFAT cannot be mounted here: " << exfat.why.toStdString();
  const QString upper = picture("x/Photo.jpg", 64, 48);
  const QString lower = picture("y/photo.jpg", 48, 64);
  const QStringList gallery = {"-d", at("cle/g"), "-n", "g", "--replace", "--copy"};
  auto r = runCli(gallery + QStringList{upper, lower});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_TRUE(r.errText().contains("Une erreur s'est produite... (" + upper +
                                   ")\n    même nom de fichier que « " + lower))
      << r.errText().toStdString();
  EXPECT_EQ(readAll(at("cle/g/g.php")).count("<img "), 1);
  EXPECT_EQ(jpegInfoOf(at("cle/g/picg/photo.jpg")).width, 48);

  r = runCli(gallery + QStringList{"--prune", lower});
  EXPECT_EQ(r.exitCode, 0) << r.errText().toStdString();
  EXPECT_EQ(jpegInfoOf(at("cle/g/picg/photo.jpg")).width, 48);
  EXPECT_EQ(jpegInfoOf(at("cle/g/minig/photo.jpg")).valid, true);
}
