#pragma once
// What a gallery's runs wrote, kept in the user's own data folder (one folder
// per destination and page name, platform::galleryDataFolder), never in the
// destination, which is published: so a run knows its own files from the
// user's (it never deletes or overwrites the user's without asking) and a
// re-run can tell a picture it may keep from one it must make again.
//
// The record only ever saves time or spares a question: a missing or damaged
// record loads as an empty one, and an entry whose file changed on disk since
// (size or modification time) no longer vouches for it.
//
// Not thread-safe: a run fills it on its own thread, after its steps.
#include <QByteArray>
#include <QHash>
#include <QString>
#include <QtGlobal>

#include <vector>

namespace pixolane::run {

// A file as the file system sees it (links followed). `size` is -1 when the
// file could not be read.
struct FileIdentity {
  quint64 device = 0;
  quint64 inode = 0;
  qint64 size = -1;
  qint64 mtimeNs = 0;  // modification time, nanoseconds since the epoch

  bool exists() const { return size >= 0; }
  friend bool operator==(const FileIdentity&, const FileIdentity&) = default;
};

FileIdentity fileIdentity(const QString& path);

struct RecordEntry {
  QString output;  // relative to the destination, '/' between folder and name
  qint64 size = 0;
  qint64 mtimeNs = 0;
  // What the output was made from (empty source for the page).
  QString source;
  FileIdentity sourceId;
  // The settings that shape the output, as one string the caller builds; two
  // outputs made the same way from the same source have the same key.
  QString settings;
};

class GalleryRecord {
 public:
  // The record's file: "record" in the gallery's data folder.
  static QString pathFor(const QString& destination, const QString& pageName);
  // Where versions before the data folder kept it: a hidden file in the
  // destination. A run takes such a record over once and removes it there.
  static QString legacyPathFor(const QString& destination, const QString& pageName);

  // A missing, damaged or foreign record loads empty. A path that is not a
  // plain file (a FIFO, a device, a folder, a link) is never opened for
  // reading: it loads empty too, and *error says why.
  static GalleryRecord load(const QString& path, QString* error = nullptr);
  // The record in a file's bytes; damaged or foreign bytes give an empty one.
  static GalleryRecord parse(const QByteArray& bytes);
  // Written whole through the platform writer (its folder created when
  // missing); "Impossible d'écrire..." on failure.
  bool save(const QString& path, QString* error = nullptr) const;
  // The bytes `save` writes.
  QByteArray toBytes() const;

  const RecordEntry* find(const QString& output) const;
  // Adds the entry, or replaces the one for the same output.
  void put(RecordEntry entry);
  bool remove(const QString& output);
  void clear() {
    entries_.clear();
    index_.clear();
  }

  const std::vector<RecordEntry>& entries() const { return entries_; }
  bool isEmpty() const { return entries_.empty(); }

  // True when `absolutePath` is the very file the entry describes: it exists
  // and has the recorded size and modification time.
  static bool stillOnDisk(const RecordEntry& entry, const QString& absolutePath);
  // The same for a file whose identity is already taken.
  static bool stillOnDisk(const RecordEntry& entry, const FileIdentity& file);

  // An entry for a file just written, stamped from the disk. Its source and
  // settings are the caller's: a source's identity is taken before drawing.
  static RecordEntry entryFor(const QString& output, const QString& absolutePath);

 private:
  std::vector<RecordEntry> entries_;
  QHash<QString, size_t> index_;  // output -> position in entries_
};

}  // namespace pixolane::run
