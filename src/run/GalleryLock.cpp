#include "run/GalleryLock.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <utility>

#include "platform/Platform.h"

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#endif

namespace pixolane::run {

GalleryLock::~GalleryLock() {
#ifdef Q_OS_UNIX
  if (fd_ >= 0)
    ::close(fd_);  // releases the lock
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
  int fd = ::open(QFile::encodeName(destination).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  int taken = fd >= 0 ? ::flock(fd, LOCK_EX | LOCK_NB) : -1;
  int err = taken == 0 ? 0 : errno;
  if (fd >= 0 && taken != 0 && err != EWOULDBLOCK) {
    // A file system that cannot lock a folder (some network shares): the
    // lock of this user's runs on this gallery.
    ::close(fd);
    const QString folder = platform::galleryDataFolder(destination, pageName);
    QDir().mkpath(folder);
    fd = ::open(QFile::encodeName(folder + QStringLiteral("verrou")).constData(),
                O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600);
    taken = fd >= 0 ? ::flock(fd, LOCK_EX | LOCK_NB) : -1;
    err = taken == 0 ? 0 : errno;
  }
  if (taken == 0) {
    lock.fd_ = fd;
    return lock;
  }
  if (fd >= 0)
    ::close(fd);
  if (err != EWOULDBLOCK) {
    *message = QStringLiteral("Impossible de verrouiller le dossier ") + shownDestination;
    return lock;
  }
  *message = QStringLiteral("Une galerie est déjà en cours de création dans ") + shownDestination +
             QStringLiteral(" (« ") + pageName +
             QStringLiteral(
                 " » ou une autre) : attendez la fin de l'autre création, rien n'a "
                 "été touché.");
  return lock;
#else
  lock.fd_ = 0;
#endif
  return lock;
}

}  // namespace pixolane::run
