// The publication's rules, once, against a server kept in memory: the order
// (pictures under temporary names, then renamed; the page last; removals
// after it), only what changed, removals only of what was sent, and an
// interruption at any step.
#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <map>

#include "PublishSupport.h"
#include "publish/Publisher.h"

namespace pixolane::publish {
namespace {

using publishtest::linksOf;
using publishtest::TestGallery;

// A server in memory. From operation `failFrom` on, every operation fails,
// as after a lost connection; after every operation the page it holds must
// link only files it holds.
struct FakeServer {
  std::map<QString, QByteArray> files;
  QStringList log;
  int operations = 0;
  int failFrom = -1;
  bool diskFull = false;  // a send writes part of the file, then fails
  bool brokenPageSeen = false;

  void checkPage() {
    const auto page = files.find(QStringLiteral("noel.php"));
    if (page == files.end())
      return;
    for (const QString& link : linksOf(page->second))
      brokenPageSeen |= !files.count(link);
  }
};

class FakeTransport : public Transport {
 public:
  explicit FakeTransport(FakeServer& server) : s_(server) {}
  bool open(QString* error) override { return step(error); }
  bool makeFolder(const QString&, QString* error) override { return step(error); }
  bool send(const QByteArray& bytes, const QString& remote, const SendProgress& progress,
            QString* error) override {
    if (!step(error))
      return false;
    s_.log << "send " + remote;
    s_.files[remote] = s_.diskFull ? bytes.left(1) : bytes;
    if (s_.diskFull) {
      *error = "disque plein";
      return false;
    }
    if (progress && !progress(bytes.size())) {
      *error = "stopped";
      return false;
    }
    return true;
  }
  bool rename(const QString& from, const QString& to, QString* error) override {
    if (!step(error))
      return false;
    s_.log << "rename " + from + " " + to;
    s_.files[to] = s_.files[from];
    s_.files.erase(from);
    s_.checkPage();
    return true;
  }
  bool list(const QString& folder, QStringList* names, QString* error) override {
    names->clear();
    for (const auto& [path, bytes] : s_.files) {
      if (path.section('/', 0, -2) == folder)
        *names << path.section('/', -1);
    }
    return step(error);
  }
  bool remove(const QString& remote, QString* error) override {
    if (!step(error))
      return false;
    s_.log << "remove " + remote;
    s_.files.erase(remote);
    s_.checkPage();
    return true;
  }

 private:
  bool step(QString* error) {
    if (s_.failFrom >= 0 && s_.operations++ >= s_.failFrom) {
      *error = "connexion perdue";
      return false;
    }
    return true;
  }
  FakeServer& s_;
};

struct CountingView : PublishView {
  int cancelAfterProgress = -1;
  int calls = 0;
  void progress(const PublishProgress&) override { ++calls; }
  bool cancelled() override { return cancelAfterProgress >= 0 && calls > cancelAfterProgress; }
};

const Address kAddress = parseAddress("sftp://web@example.org/galerie/").address;

PublishReport publishTo(FakeServer& server, const TestGallery& gallery,
                        PublishView* view = nullptr) {
  FakeTransport transport(server);
  CountingView quiet;
  return publishGallery(gallery.destination, gallery.page, kAddress, transport,
                        view ? *view : quiet);
}

std::map<QString, QByteArray> withoutForeign(std::map<QString, QByteArray> files) {
  files.erase("picnoel/autre.jpg");
  return files;
}

TEST(Publisher, SendsOnlyWhatChangedPagesLastAndRemovesOnlyItsOwnFiles) {
  QTemporaryDir tmp;
  TestGallery gallery{tmp.path() + '/'};
  FakeServer server;
  EXPECT_NE(publishTo(server, gallery).error.indexOf("Aucune galerie « noel »"), -1);
  EXPECT_TRUE(server.log.isEmpty());

  gallery.write({{"a.jpg", "aaaa"}, {"b.jpg", "bb"}, {"c.jpg", "cccccc"}});
  PublishReport first = publishTo(server, gallery);
  ASSERT_TRUE(first.ok) << first.error.toStdString();
  EXPECT_EQ(first.summary().toStdString(),
            "Galerie publiée : 7 fichiers envoyés (125 octets), 0 inchangé, 0 retiré.");
  EXPECT_EQ(server.files, gallery.files());
  // Every file under its temporary name, then renamed; the page last.
  ASSERT_EQ(server.log.size(), 14);
  EXPECT_EQ(server.log.at(0), "send mininoel/.a.jpg.pixolane-envoi");
  EXPECT_EQ(server.log.at(1), "rename mininoel/.a.jpg.pixolane-envoi mininoel/a.jpg");
  EXPECT_EQ(server.log.at(12), "send .noel.php.pixolane-envoi");

  server.files["picnoel/autre.jpg"] = "someone else's";
  server.log.clear();
  const PublishReport again = publishTo(server, gallery);
  EXPECT_TRUE(server.log.isEmpty());
  EXPECT_EQ(again.summary().toStdString(),
            "Galerie publiée : 0 fichier envoyé (0 octet), 7 inchangés, 0 retiré.");

  // Same size, other bytes: the digest sees it. c goes: the page changes too.
  gallery.write({{"a.jpg", "AAAA"}, {"b.jpg", "bb"}});
  const PublishReport changed = publishTo(server, gallery);
  EXPECT_EQ(changed.removed, 2);
  EXPECT_EQ(server.log.filter("send ").join(',').toStdString(),
            "send mininoel/.a.jpg.pixolane-envoi,send picnoel/.a.jpg.pixolane-envoi,"
            "send .noel.php.pixolane-envoi");
  EXPECT_EQ(server.log.indexOf("remove mininoel/c.jpg"), server.log.size() - 2);
  EXPECT_EQ(server.files.count("picnoel/autre.jpg"), 1u);
  EXPECT_EQ(withoutForeign(server.files), gallery.files());

  // A full disk: the file stays as it was, its temporary copy goes.
  const auto before = server.files;
  gallery.write({{"a.jpg", "AAAAA"}, {"b.jpg", "bb"}});
  server.diskFull = true;
  EXPECT_EQ(publishTo(server, gallery).error, "disque plein");
  EXPECT_EQ(server.files, before);
  server.diskFull = false;
  EXPECT_EQ(publishTo(server, gallery).sent, 2);

  // A file gone from the server (removed by hand) is sent again.
  server.files.erase("mininoel/b.jpg");
  EXPECT_EQ(publishTo(server, gallery).sent, 1);
  EXPECT_EQ(withoutForeign(server.files), gallery.files());
  EXPECT_FALSE(server.brokenPageSeen);
}

// Stopped at every operation in turn, by a lost connection or by the user,
// the server's page never links a missing file, and the next publication
// sends exactly what the stopped one did not finish.
TEST(Publisher, AnInterruptedPublicationIsFinishedByTheNextOne) {
  for (const bool byUser : {false, true}) {
    for (int stopAt = 0;; ++stopAt) {
      SCOPED_TRACE(
          QStringLiteral("%1 at %2").arg(byUser ? "cancel" : "failure").arg(stopAt).toStdString());
      QTemporaryDir tmp;
      TestGallery gallery{tmp.path() + '/'};
      gallery.write({{"a.jpg", "a1"}, {"b.jpg", "b1"}, {"c.jpg", "c1"}});
      FakeServer server;
      ASSERT_TRUE(publishTo(server, gallery).ok);
      gallery.write({{"a.jpg", "a22"}, {"b.jpg", "b1"}, {"d.jpg", "d1"}});

      CountingView view;
      (byUser ? view.cancelAfterProgress : server.failFrom) = stopAt;
      const PublishReport stopped = publishTo(server, gallery, &view);
      server.failFrom = -1;
      const PublishReport rest = publishTo(server, gallery);
      ASSERT_TRUE(rest.ok) << rest.error.toStdString();
      EXPECT_FALSE(server.brokenPageSeen);
      EXPECT_EQ(server.files, gallery.files());  // no temporary file left either
      EXPECT_EQ(stopped.sent + rest.sent, 5);    // a's and d's two files each, the page
      if (stopped.ok)
        break;
      EXPECT_EQ(stopped.cancelled, byUser);
      ASSERT_LT(stopAt, 40);
    }
  }
}

TEST(Address, ReadsTheThreeProtocolsAndRefusesTheRest) {
  const AddressParse sftp = parseAddress(" sftp://marie@www.example.org:2222/~/galeries ");
  ASSERT_TRUE(sftp.ok);
  EXPECT_EQ(sftp.address.user, "marie");
  EXPECT_EQ(sftp.address.effectivePort(), 2222);
  EXPECT_EQ(sftp.address.folder, "/~/galeries/");
  EXPECT_EQ(sftp.address.text(), "sftp://marie@www.example.org:2222/~/galeries/");
  const AddressParse ftp = parseAddress("ftp://example.org");
  ASSERT_TRUE(ftp.ok);
  EXPECT_EQ(ftp.address.effectivePort(), 21);
  EXPECT_EQ(ftp.address.folder, "/");
  EXPECT_EQ(parseAddress("FTPS://h/a%20b/").address.folder, "/a b/");
  EXPECT_EQ(parseAddress("FTPS://h/").address.protocol, Protocol::Ftps);

  for (const char* bad : {"", "http://example.org/", "sftp:///dossier/", "example.org/galerie",
                          "ftp://h/a/../../etc/"})
    EXPECT_NE(parseAddress(bad).error.indexOf("invalide"), -1) << bad;
  EXPECT_NE(parseAddress("ftp://marie:secret@h/").error.indexOf("mot de passe"), -1);
}

TEST(Publisher, SaysSizesInFrench) {
  EXPECT_EQ(formatBytes(1), "1 octet");
  EXPECT_EQ(formatBytes(850'400), "850 Ko");
  EXPECT_EQ(formatBytes(3'400'000), "3,4 Mo");
}

}  // namespace
}  // namespace pixolane::publish
