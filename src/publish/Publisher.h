#pragma once
// Publishing a gallery: what to send, in which order, and the run of it.
//
// The order keeps the server's page whole at every moment: every picture is
// sent under a temporary name and renamed into place, the pages (the files
// beside the picture folders) go last, and files the gallery gave up are
// removed only after them. The publication file is saved after every step,
// so an interrupted publication is finished by the next one, which sends
// only what is missing.
#include <QByteArray>
#include <QString>
#include <QStringList>

#include <vector>

#include "publish/Publication.h"
#include "publish/Transport.h"

namespace pixolane::publish {

struct LocalFile {
  QString path;      // relative to the destination, '/' between folders
  QString absolute;  // on disk
  qint64 size = 0;
  QByteArray sha256;
  // The pages stand in the destination itself; everything else in folders.
  bool isPage() const { return !path.contains('/'); }
};

struct GalleryFiles {
  std::vector<LocalFile> files;
  QString error;  // French; set when there is nothing that can be published
};

// The gallery as it is on disk: the files its record lists and its page.
GalleryFiles galleryFiles(const QString& destination, const QString& pageName);

struct Plan {
  std::vector<LocalFile> toSend;  // pictures first, pages last
  QStringList toRemove;           // published before, given up since
  int unchanged = 0;
  qint64 bytesToSend = 0;
};

Plan planPublication(const std::vector<LocalFile>& files, const Publication& published);

// The temporary name a file travels under, beside its final name.
QString temporaryName(const QString& path);

struct PublishProgress {
  int filesDone = 0;
  int filesTotal = 0;
  qint64 bytesDone = 0;
  qint64 bytesTotal = 0;
  QString current;  // relative path; empty between files
  double bytesPerSecond = 0;
  int secondsLeft = -1;  // unknown
};

// How a publication shows itself; called on the publishing thread only.
class PublishView {
 public:
  virtual ~PublishView() = default;
  virtual void progress(const PublishProgress& progress) = 0;
  // Polled between files and during transfers: true stops the publication.
  virtual bool cancelled() = 0;
};

struct PublishReport {
  bool ok = false;
  bool cancelled = false;
  QString error;  // French, when not ok
  int sent = 0;
  qint64 bytesSent = 0;
  int unchanged = 0;
  int removed = 0;

  // "Galerie publiée : 12 fichiers envoyés (3,4 Mo), 230 inchangés, 2 retirés."
  QString summary() const;
};

// Runs the plan through an open transport; `published` follows every step
// and is saved to `publicationPath` after each.
PublishReport runPlan(Transport& transport, const Plan& plan, Publication& published,
                      const QString& publicationPath, PublishView& view);

// The whole publication of one gallery: its files, the plan against what
// was published at that address, the connection, the run; the address is
// remembered for the gallery once the connection succeeded.
PublishReport publishGallery(const QString& destination, const QString& pageName,
                             const Address& address, Transport& transport, PublishView& view);

// "3,4 Mo", "850 Ko", "12 octets".
QString formatBytes(qint64 bytes);

// "3 / 43 fichiers envoyés, 1,2 Mo sur 14,8 Mo — 850 Ko/s, 16 s restantes",
// as the window and the terminal show it (the current file apart).
QString progressLine(const PublishProgress& p);

}  // namespace pixolane::publish
