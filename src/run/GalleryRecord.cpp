#include "run/GalleryRecord.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include "platform/Files.h"
#include "platform/Platform.h"

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

namespace pixolane::run {

namespace {

// First line of every record; a record of another version loads empty.
const QByteArray kHeader = "pixolane-record 1";
const QByteArray kEnd = "end ";

// Fields are tab-separated; a tab, line break or % inside a name is written
// as %XX, so any file name survives.
QByteArray escaped(const QString& text) {
  QByteArray out;
  for (const char c : text.toUtf8()) {
    if (c == '%' || c == '\t' || c == '\n' || c == '\r')
      out += '%' + QByteArray::number(uchar(c), 16).rightJustified(2, '0').toUpper();
    else
      out += c;
  }
  return out;
}

QString unescaped(const QByteArray& field) {
  return QString::fromUtf8(QByteArray::fromPercentEncoding(field));
}

bool toInt64(const QByteArray& field, qint64* value) {
  bool ok = false;
  *value = field.toLongLong(&ok);
  return ok;
}

bool toUInt64(const QByteArray& field, quint64* value) {
  bool ok = false;
  *value = field.toULongLong(&ok);
  return ok;
}

bool parseEntry(const QByteArray& line, RecordEntry* entry) {
  const QList<QByteArray> f = line.split('\t');
  if (f.size() != 9)
    return false;
  entry->output = unescaped(f[0]);
  entry->source = unescaped(f[3]);
  entry->settings = unescaped(f[8]);
  return !entry->output.isEmpty() && toInt64(f[1], &entry->size) &&
         toInt64(f[2], &entry->mtimeNs) && toUInt64(f[4], &entry->sourceId.device) &&
         toUInt64(f[5], &entry->sourceId.inode) && toInt64(f[6], &entry->sourceId.size) &&
         toInt64(f[7], &entry->sourceId.mtimeNs);
}

}  // namespace

FileIdentity fileIdentity(const QString& path) {
  FileIdentity id;
  if (path.isEmpty())
    return id;
#ifdef Q_OS_UNIX
  struct stat st;
  if (::stat(QFile::encodeName(path).constData(), &st) != 0)
    return id;
  id.device = quint64(st.st_dev);
  id.inode = quint64(st.st_ino);
  id.size = qint64(st.st_size);
  id.mtimeNs = qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
#else
  const QFileInfo info(path);
  if (!info.exists())
    return id;
  id.size = info.size();
  id.mtimeNs = info.lastModified().toMSecsSinceEpoch() * 1000000;
#endif
  return id;
}

QString GalleryRecord::pathFor(const QString& destination, const QString& pageName) {
  return platform::galleryDataFolder(destination, pageName) + QStringLiteral("record");
}

QString GalleryRecord::legacyPathFor(const QString& destination, const QString& pageName) {
  // Readable when it fitted; a long page name had a digest instead.
  if (pageName.toUtf8().size() <= 200)
    return destination + '.' + pageName + QStringLiteral(".pixolane");
  const QByteArray digest =
      QCryptographicHash::hash(pageName.toUtf8(), QCryptographicHash::Sha1).toHex().left(16);
  return destination + QStringLiteral(".pixolane-") + QString::fromLatin1(digest);
}

GalleryRecord GalleryRecord::load(const QString& path, QString* error) {
  QByteArray bytes;
  if (platform::readOwnFile(path, &bytes, error) != platform::OwnFile::Read)
    return {};
  return parse(bytes);
}

GalleryRecord GalleryRecord::parse(const QByteArray& bytes) {
  GalleryRecord record;
  QList<QByteArray> lines = bytes.split('\n');
  // A whole record is header, entries, "end <count>" and the final line break.
  if (lines.size() < 3 || lines.first() != kHeader || !lines.last().isEmpty())
    return record;
  lines.removeLast();
  const QByteArray end = lines.takeLast();
  qint64 count = -1;
  if (!end.startsWith(kEnd) || !toInt64(end.mid(kEnd.size()), &count) || count != lines.size() - 1)
    return record;
  for (qsizetype i = 1; i < lines.size(); ++i) {
    RecordEntry entry;
    if (!parseEntry(lines.at(i), &entry))
      return GalleryRecord{};
    record.put(std::move(entry));
  }
  return record;
}

bool GalleryRecord::save(const QString& path, QString* error) const {
  // It names the user's photographs by their full paths: for the user alone.
  const QString folder = QFileInfo(path).path();
  if (!QFileInfo(folder).isDir() && QDir().mkpath(folder))
    QFile::setPermissions(folder,
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
  return platform::writeFileAtomically(path, toBytes(), error);
}

QByteArray GalleryRecord::toBytes() const {
  QByteArray bytes = kHeader + '\n';
  for (const RecordEntry& e : entries_) {
    bytes += escaped(e.output) + '\t' + QByteArray::number(e.size) + '\t' +
             QByteArray::number(e.mtimeNs) + '\t' + escaped(e.source) + '\t' +
             QByteArray::number(e.sourceId.device) + '\t' + QByteArray::number(e.sourceId.inode) +
             '\t' + QByteArray::number(e.sourceId.size) + '\t' +
             QByteArray::number(e.sourceId.mtimeNs) + '\t' + escaped(e.settings) + '\n';
  }
  bytes += kEnd + QByteArray::number(qint64(entries_.size())) + '\n';
  return bytes;
}

const RecordEntry* GalleryRecord::find(const QString& output) const {
  const auto it = index_.constFind(output);
  return it == index_.constEnd() ? nullptr : &entries_[*it];
}

void GalleryRecord::put(RecordEntry entry) {
  if (const auto it = index_.constFind(entry.output); it != index_.constEnd()) {
    entries_[*it] = std::move(entry);
    return;
  }
  index_.insert(entry.output, entries_.size());
  entries_.push_back(std::move(entry));
}

bool GalleryRecord::remove(const QString& output) {
  const auto it = index_.constFind(output);
  if (it == index_.constEnd())
    return false;
  entries_.erase(entries_.begin() + qsizetype(*it));
  index_.clear();
  for (size_t i = 0; i < entries_.size(); ++i)
    index_.insert(entries_[i].output, i);
  return true;
}

bool GalleryRecord::stillOnDisk(const RecordEntry& entry, const QString& absolutePath) {
  return stillOnDisk(entry, fileIdentity(absolutePath));
}

bool GalleryRecord::stillOnDisk(const RecordEntry& entry, const FileIdentity& file) {
  return file.exists() && file.size == entry.size && file.mtimeNs == entry.mtimeNs;
}

RecordEntry GalleryRecord::entryFor(const QString& output, const QString& absolutePath) {
  RecordEntry entry;
  entry.output = output;
  const FileIdentity written = fileIdentity(absolutePath);
  entry.size = written.size;
  entry.mtimeNs = written.mtimeNs;
  return entry;
}

}  // namespace pixolane::run
