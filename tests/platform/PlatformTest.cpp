#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <functional>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "platform/Files.h"
#include "platform/PictureListing.h"
#include "platform/Platform.h"

using namespace pixolane;
using namespace pixolane::platform;

TEST(Platform, PerUserFoldersAndDrives) {
  // Test mode is on: these are Qt's test locations, never the user's own.
  EXPECT_TRUE(platform::savedLocationFile().endsWith(QDir::toNativeSeparators("/SauvPath.sav")));
  EXPECT_TRUE(platform::previewFolder().endsWith(QDir::toNativeSeparators("/temp/")));
  EXPECT_TRUE(platform::savedLocationFile().contains("qttest"));
  // One folder per gallery, whatever the destination's spelling, none inside it.
  const QString data = platform::galleryDataFolder("/tmp/site/", "gal");
  EXPECT_TRUE(data.contains("qttest"));
  EXPECT_FALSE(data.startsWith("/tmp/site"));
  EXPECT_EQ(data, platform::galleryDataFolder("/tmp/./site", "gal"));
  EXPECT_NE(data, platform::galleryDataFolder("/tmp/site/", "gal2"));
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
  // A Latin-1 name is listed, escaped, and known as one the program cannot represent.
  const int fd =
      ::open(QFile::encodeName(dir.filePath("caf")) + "\xe9.jpg", O_WRONLY | O_CREAT, 0644);
  ASSERT_GE(fd, 0);
  ::close(fd);
  // Case and accents folded, digits by value, ties by the exact name.
  EXPECT_EQ(platform::picturesIn(dir.path()),
            QStringList({"abc.jpg", "B1.jpg", "b01.jpg", "b1.jpg", "caf\\xE9.jpg", "Ecole.jpeg",
                         "été.jpg", "p2.jpg", "P3.jpg", "p10.jpg", "x.JPEG", "zoo.jpg"}));
  EXPECT_TRUE(platform::unrepresentableName(dir.filePath("caf\\xE9.jpg")));
  EXPECT_FALSE(platform::unrepresentableName(dir.filePath("caf\\xE8.jpg")));
  ::unlink(QFile::encodeName(dir.filePath("caf")) + "\xe9.jpg");  // beyond QTemporaryDir
}

// The one writer: a link at the path is replaced, never written through; a
// write or sync that fails leaves the earlier file whole and says why.
TEST(Platform, WriterNeverFollowsLinksNorTrustsAWrite) {
  QTemporaryDir tmp;
  const QString dir = tmp.path() + '/';
  const auto put = [](const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
  };
  const auto read = [](const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(missing)");
  };
  put(dir + "original.jpg", "the user's original");
  ASSERT_TRUE(QFile::link(dir + "original.jpg", dir + "link.jpg"));
  put(dir + "earlier.jpg", "earlier");
  put(dir + "source.jpg", QByteArray(20000, 's'));
  const QByteArray big(20000, 'n');

  struct Case {
    const char* name;
    std::function<bool(QString*)> write;
    QString path;
    QByteArray expected;  // at `path` afterwards
    const char* reason;   // empty: success
  };
  const Case cases[] = {
      {"link at the path",
       [&](QString* e) { return writeFileAtomically(dir + "link.jpg", "new", e); },
       dir + "link.jpg", "new", ""},
      {"copy over a link",
       [&](QString* e) { return copyFileAtomically(dir + "earlier.jpg", dir + "link2.jpg", e); },
       dir + "link2.jpg", "earlier", ""},
      {"file-size limit",
       [&](QString* e) {
         rlimit old;
         getrlimit(RLIMIT_FSIZE, &old);
         rlimit limit = old;
         limit.rlim_cur = 8192;
         setrlimit(RLIMIT_FSIZE, &limit);
         const bool ok = writeFileAtomically(dir + "earlier.jpg", big, e);
         const bool copied = copyFileAtomically(dir + "source.jpg", dir + "earlier.jpg", e);
         setrlimit(RLIMIT_FSIZE, &old);
         return ok || copied;
       },
       dir + "earlier.jpg", "earlier", "taille de fichier limitée"},
      {"folder sync", [&](QString* e) { return syncFolder(dir + "missing", e); }, dir + "missing",
       "(missing)", "introuvable"},
  };
  ASSERT_TRUE(QFile::link(dir + "original.jpg", dir + "link2.jpg"));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    QString error;
    const bool ok = c.write(&error);
    EXPECT_EQ(ok, !*c.reason) << error.toStdString();
    EXPECT_TRUE(error.contains(QString::fromUtf8(c.reason))) << error.toStdString();
    EXPECT_EQ(read(c.path), c.expected);
    EXPECT_FALSE(QFileInfo(c.path).isSymLink());
  }
  EXPECT_EQ(read(dir + "original.jpg"), "the user's original");
  // Nothing half-written stays behind, and a later run has nothing to discard.
  EXPECT_EQ(QDir(dir).entryList(QDir::Hidden | QDir::Files).size(), 5);
  EXPECT_EQ(discardLeftovers(dir), 0);

  // A temporary file of a writer this host cannot vouch for (a container,
  // another machine on a shared folder) goes only once older than any write.
  const QString young = dir + ".pxt999999-abcdef";
  const QString old = dir + ".pxt999998-0123abcd-abcdef";
  put(young, "");
  put(old, "");
  QFile aged(old);
  ASSERT_TRUE(aged.open(QIODevice::ReadWrite));
  ASSERT_TRUE(aged.setFileTime(QDateTime::currentDateTime().addDays(-2),
                               QFileDevice::FileModificationTime));
  aged.close();
  EXPECT_EQ(discardLeftovers(dir), 1);
  EXPECT_TRUE(QFile::exists(young));
  EXPECT_FALSE(QFile::exists(old));
}
