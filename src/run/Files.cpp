#include "run/Files.h"

#include <QFile>
#include <QSaveFile>

namespace pixolane {

bool writeFileAtomically(const QString& path, const QByteArray& bytes, QString* error) {
  QSaveFile out(path);
  if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size() || !out.commit()) {
    if (error)
      *error = QStringLiteral("Impossible d'écrire ") + path + " : " + out.errorString();
    return false;
  }
  return true;
}

bool copyFileAtomically(const QString& source, const QString& destination, QString* error) {
  QFile in(source);
  if (!in.open(QIODevice::ReadOnly)) {
    if (error)
      *error = QStringLiteral("Impossible de lire ") + source + " : " + in.errorString();
    return false;
  }
  QSaveFile out(destination);
  if (!out.open(QIODevice::WriteOnly)) {
    if (error)
      *error = QStringLiteral("Impossible d'écrire ") + destination;
    return false;
  }
  // Chunked, so that a large picture is never held whole in memory.
  QByteArray chunk;
  while (!(chunk = in.read(1 << 20)).isEmpty()) {
    if (out.write(chunk) != chunk.size())
      break;
  }
  if (in.error() != QFile::NoError || !out.commit()) {
    if (error)
      *error = QStringLiteral("Impossible de copier ") + source + " vers " + destination;
    return false;
  }
  return true;
}

}  // namespace pixolane
