#include "platform/Writable.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>

#include "platform/Files.h"

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#endif

namespace pixolane::platform {

namespace {

QString problem(const QString& destination, const QString& reason) {
  return QStringLiteral("Le dossier %1 n'est pas accessible en écriture : %2")
      .arg(QDir::toNativeSeparators(destination), reason);
}

}  // namespace

QString destinationWriteProblem(const QString& destination) {
  QString folder =
      QDir::cleanPath(QFileInfo(QDir::fromNativeSeparators(destination)).absoluteFilePath());
#ifdef Q_OS_UNIX
  // The nearest folder that exists: the run makes the rest.
  struct stat st;
  while (::stat(QFile::encodeName(folder).constData(), &st) != 0) {
    const int err = errno;
    const QString parent = QFileInfo(folder).path();
    if (err != ENOENT || parent == folder)
      return problem(destination, fileErrorReason(err, {}));
    folder = parent;
  }
  if (!S_ISDIR(st.st_mode))
    return problem(destination, fileErrorReason(ENOTDIR, {}));
  QByteArray trial = QFile::encodeName(folder + QStringLiteral("/.pixolane-essai-XXXXXX"));
  if (!::mkdtemp(trial.data()))
    return problem(destination, fileErrorReason(errno, {}));
  ::rmdir(trial.constData());
  return {};
#else
  while (!QFileInfo::exists(folder) && QFileInfo(folder).path() != folder)
    folder = QFileInfo(folder).path();
  const QFileInfo info(folder);
  if (!info.isDir())
    return problem(destination, fileErrorReason(ENOTDIR, {}));
  QDir dir(folder);
  const QString trial =
      QStringLiteral(".pixolane-essai-%1").arg(QCoreApplication::applicationPid());
  if (!dir.mkdir(trial))
    return problem(destination, fileErrorReason(EACCES, {}));
  dir.rmdir(trial);
  return {};
#endif
}

}  // namespace pixolane::platform
