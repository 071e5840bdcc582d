#pragma once
// What was published where: for one gallery and one publication address, the
// files this program put on the server, each with its size and the SHA-256 of
// its bytes as sent. Kept in the gallery's per-user folder, never in the web
// folder. A publication sends what differs from it, and removes only files it
// lists: the server's other files are never touched.
#include <QByteArray>
#include <QHash>
#include <QString>

namespace pixolane::publish {

struct PublishedFile {
  qint64 size = 0;
  QByteArray sha256;  // raw digest
  friend bool operator==(const PublishedFile&, const PublishedFile&) = default;
};

struct Publication {
  QString address;                      // Address::text()
  QHash<QString, PublishedFile> files;  // relative path -> as sent

  // A missing, damaged or foreign file loads empty (everything is then sent
  // again, nothing removed).
  static Publication load(const QString& path, const QString& address);
  bool save(const QString& path, QString* error = nullptr) const;
  // The file for one address in a gallery's data folder.
  static QString pathFor(const QString& dataFolder, const QString& address);
};

// The address a gallery was last published to (empty when none), kept beside
// its record.
QString savedAddress(const QString& dataFolder);
bool saveAddress(const QString& dataFolder, const QString& address, QString* error = nullptr);

}  // namespace pixolane::publish
