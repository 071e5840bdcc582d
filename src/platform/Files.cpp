#include "platform/Files.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>

#include <cerrno>

namespace pixolane::platform {

namespace {

QString shown(const QString& path) {
  return QDir::toNativeSeparators(path);
}

// The reason of the failure that just happened on `file`; errno is read first,
// before anything else can overwrite it.
QString reasonNow(const QFileDevice& file) {
  const int err = errno;
  return fileErrorReason(err, file.errorString());
}

QString cannotWrite(const QString& path, const QString& reason) {
  return QStringLiteral("Impossible d'écrire ") + shown(path) + QStringLiteral(" : ") + reason;
}

}  // namespace

QString fileErrorReason(int errorNumber, const QString& fallback) {
  switch (errorNumber) {
    case ENOSPC:
#ifdef EDQUOT
    case EDQUOT:
#endif
      return QStringLiteral("disque plein");
    case EACCES:
    case EPERM:
      return QStringLiteral("permission refusée");
    case EROFS:
      return QStringLiteral("support en lecture seule");
    case ENOENT:
      return QStringLiteral("fichier ou dossier introuvable");
    case ENOTDIR:
      return QStringLiteral("un élément du chemin n'est pas un dossier");
    case EISDIR:
      return QStringLiteral("c'est un dossier");
    case ENAMETOOLONG:
      return QStringLiteral("nom trop long");
    case EIO:
      return QStringLiteral("erreur d'entrée-sortie du support");
    default:
      return fallback.isEmpty() ? QStringLiteral("erreur inconnue") : fallback;
  }
}

bool writeFileAtomically(const QString& path, const QByteArray& bytes, QString* error) {
  QSaveFile out(path);
  QString reason;
  if (!out.open(QIODevice::WriteOnly))
    reason = reasonNow(out);
  else if (out.write(bytes) != bytes.size())
    reason = reasonNow(out);
  else if (!out.commit())
    reason = reasonNow(out);
  if (reason.isEmpty())
    return true;
  if (error)
    *error = cannotWrite(path, reason);
  return false;  // QSaveFile removes its temporary file when not committed
}

bool copyFileAtomically(const QString& source, const QString& destination, QString* error) {
  QFile in(source);
  if (!in.open(QIODevice::ReadOnly)) {
    if (error)
      *error = QStringLiteral("Impossible de lire ") + shown(source) + QStringLiteral(" : ") +
               reasonNow(in);
    return false;
  }
  QSaveFile out(destination);
  if (!out.open(QIODevice::WriteOnly)) {
    if (error)
      *error = cannotWrite(destination, reasonNow(out));
    return false;
  }
  // Chunked, so that a large picture is never held whole in memory.
  QString reason;
  QByteArray chunk;
  while (reason.isEmpty() && !(chunk = in.read(1 << 20)).isEmpty()) {
    if (out.write(chunk) != chunk.size())
      reason = reasonNow(out);
  }
  if (reason.isEmpty() && in.error() != QFile::NoError)
    reason = QStringLiteral("lecture de ") + shown(source) + QStringLiteral(" : ") + reasonNow(in);
  if (reason.isEmpty() && !out.commit())
    reason = reasonNow(out);
  if (reason.isEmpty())
    return true;
  if (error)
    *error = cannotWrite(destination, reason);
  return false;
}

}  // namespace pixolane::platform
