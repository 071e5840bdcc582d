#include "job/SavedLocation.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <optional>

#include "platform/Files.h"
#include "platform/Platform.h"

namespace pixolane::job {

namespace {

// The two lines of the file, or nothing when it cannot be read or is short.
std::optional<SavedLocation> readFile(const QString& file) {
  // Never blocks on a FIFO put in its place; a link to a file is followed.
  QByteArray bytes;
  if (platform::readOwnFile(file, &bytes, nullptr, true) != platform::OwnFile::Read)
    return std::nullopt;
  const QList<QByteArray> lines = bytes.split('\n');
  // A last line without its CR LF still counts, as a text reader would take it.
  QStringList texts;
  for (const QByteArray& line : lines) {
    QByteArray l = line;
    if (l.endsWith('\r'))
      l.chop(1);
    texts << QString::fromLocal8Bit(l);
  }
  if (!lines.isEmpty() && lines.last().isEmpty())
    texts.removeLast();
  if (texts.size() < 2)
    return std::nullopt;
  return SavedLocation{texts.at(0), texts.at(1)};
}

void writeDefault(const QString& file, const QString& location) {
  QDir().mkpath(QFileInfo(file).absolutePath());
  const QByteArray line = location.toLocal8Bit() + "\r\n";
  // A failure leaves the default location in use, silently.
  platform::writeFileAtomically(file, line + line);
}

}  // namespace

LocationProbe LocationProbe::system() {
  return LocationProbe{[](const QString& d) { return platform::driveReady(d); },
                       [](const QString& f) { return platform::folderExists(f); }};
}

SavedLocation restoreSavedLocation(const QString& file, const LocationProbe& probe) {
  if (const auto saved = readFile(file)) {
    if (!saved->drive.isEmpty() && probe.driveReady(saved->drive) && !saved->folder.isEmpty() &&
        probe.folderExists(saved->folder))
      return *saved;
  }
  const QString def = platform::defaultLocation();
  writeDefault(file, def);
  return SavedLocation{def, def};
}

SavedLocation restoreSavedLocation() {
  return restoreSavedLocation(platform::savedLocationFile(), LocationProbe::system());
}

}  // namespace pixolane::job
