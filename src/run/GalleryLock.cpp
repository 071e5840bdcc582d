#include "run/GalleryLock.h"

#include <QDir>
#include <QFile>

#include <utility>

#include "run/GalleryRecord.h"

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#endif

namespace pixolane::run {

GalleryLock::~GalleryLock() {
#ifdef Q_OS_UNIX
  if (fd_ >= 0)
    ::close(fd_);  // releases the lock; the empty file stays for the next run
#endif
}

GalleryLock::GalleryLock(GalleryLock&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}

GalleryLock& GalleryLock::operator=(GalleryLock&& other) noexcept {
  if (this != &other) {
    GalleryLock gone(std::move(*this));
    fd_ = std::exchange(other.fd_, -1);
  }
  return *this;
}

GalleryLock GalleryLock::take(const QString& destination, const QString& pageName,
                              QString* message) {
  GalleryLock lock;
  const QString shownDestination = QDir::toNativeSeparators(destination);
  if (!QDir().mkpath(destination)) {
    *message = QStringLiteral("Impossible de créer le dossier ") + shownDestination;
    return lock;
  }
#ifdef Q_OS_UNIX
  // flock: the system drops it when the process ends, however it ends, so a
  // crashed run never blocks the next one.
  const QString path = GalleryRecord::pathFor(destination, pageName) + QStringLiteral("-verrou");
  const int fd =
      ::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0666);
  if (fd < 0) {
    *message =
        QStringLiteral("Impossible de créer le verrou de la galerie dans ") + shownDestination;
    return lock;
  }
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    ::close(fd);
    *message = QStringLiteral("La galerie « ") + pageName +
               QStringLiteral(" » est déjà en cours de création dans ") + shownDestination +
               QStringLiteral(" : attendez la fin de l'autre création, rien n'a été touché.");
    return lock;
  }
  lock.fd_ = fd;
#else
  lock.fd_ = 0;
#endif
  return lock;
}

}  // namespace pixolane::run
