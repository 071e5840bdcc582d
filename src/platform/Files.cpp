#include "platform/Files.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSysInfo>

#include <cerrno>
#include <functional>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <mutex>
#include <random>
#else
#include <QSaveFile>
#endif

namespace pixolane::platform {

namespace {

QString shown(const QString& path) {
  return QDir::toNativeSeparators(path);
}

QString cannotWrite(const QString& path, const QString& reason) {
  return QStringLiteral("Impossible d'écrire ") + shown(path) + QStringLiteral(" : ") + reason;
}

QString cannotRead(const QString& path, const QString& reason) {
  return QStringLiteral("Impossible de lire ") + shown(path) + QStringLiteral(" : ") + reason;
}

// Hands out the bytes to write, chunk by chunk; an empty chunk ends the file.
// A failure to produce them sets *reason.
using Producer = std::function<QByteArrayView(QString* reason)>;

#ifdef Q_OS_UNIX

// ".pxt<pid>-<host>-<six characters>": short whatever the destination's
// name. The pid and this host's tag (machine, boot and process namespace) let
// a later run tell a dead writer of this host from a writer it cannot see: a
// container, a sandbox or another machine writing into the same shared folder.
const QString kTemporaryPrefix = QStringLiteral(".pxt");

// Older than any one file's write could take: a writer this host cannot see
// has surely gone.
constexpr qint64 kLeftoverAgeSeconds = 24 * 3600;

QByteArray firstLine(const char* path) {
  QFile file(QString::fromLatin1(path));
  return file.open(QIODevice::ReadOnly) ? file.readLine(256).trimmed() : QByteArray();
}

const QString& hostTag() {
  static const QString tag = [] {
    QCryptographicHash hash(QCryptographicHash::Sha1);
    hash.addData(QSysInfo::machineUniqueId());
    hash.addData(firstLine("/proc/sys/kernel/random/boot_id"));
    char ns[128] = {};
    const ssize_t n = ::readlink("/proc/self/ns/pid", ns, sizeof ns - 1);
    hash.addData(QByteArray(ns, n > 0 ? int(n) : 0));
    return QString::fromLatin1(hash.result().toHex().left(8));
  }();
  return tag;
}

QString temporaryName() {
  static std::atomic<unsigned> counter{0};
  thread_local std::mt19937 random(std::random_device{}() ^ unsigned(::getpid()));
  static const char kDigits[] = "0123456789abcdefghijklmnopqrstuvwxyz";
  QString name = kTemporaryPrefix + QString::number(::getpid()) + '-' + hostTag() + '-';
  unsigned value = random() ^ (counter.fetch_add(1) * 2654435761u);
  for (int i = 0; i < 6; ++i, value /= 36)
    name += QLatin1Char(kDigits[value % 36]);
  return name;
}

// The names temporaryName() makes (and the older ones without a host tag),
// the writer's pid and host captured: what discardLeftovers may remove.
const QRegularExpression& temporaryNamePattern() {
  static const QRegularExpression pattern(QLatin1Char('^') +
                                          QRegularExpression::escape(kTemporaryPrefix) +
                                          QStringLiteral("(\\d+)-(?:([0-9a-f]{8})-)?[0-9a-z]{6}$"));
  return pattern;
}

// An unnamed file in the folder (O_TMPFILE), given a name only once complete:
// a crash leaves nothing behind. -1 where the file system has no such files.
int openUnnamed(const QString& folder) {
#ifdef O_TMPFILE
  // Naming it goes through /proc, which a sandbox may not have.
  static const bool namable = ::access("/proc/self/fd", X_OK) == 0;
  if (!namable)
    return -1;
  return ::open(QFile::encodeName(folder).constData(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
#else
  Q_UNUSED(folder);
  errno = EOPNOTSUPP;
  return -1;
#endif
}

// Gives the complete unnamed file a temporary name beside its final one.
bool nameUnnamed(int fd, const QString& folder, QByteArray* temporary) {
  const QByteArray self = "/proc/self/fd/" + QByteArray::number(fd);
  for (int attempt = 0; attempt < 100; ++attempt) {
    *temporary = QFile::encodeName(folder + '/' + temporaryName());
    if (::linkat(AT_FDCWD, self.constData(), AT_FDCWD, temporary->constData(), AT_SYMLINK_FOLLOW) ==
        0)
      return true;
    if (errno != EEXIST)
      break;
  }
  temporary->clear();  // a name that exists is another writer's
  return false;
}

bool writeAll(int fd, QByteArrayView bytes, int* err) {
  const char* data = bytes.data();
  qsizetype left = bytes.size();
  while (left > 0) {
    const ssize_t n = ::write(fd, data, size_t(left));
    if (n < 0 && errno == EINTR)
      continue;
    if (n <= 0) {
      *err = n < 0 ? errno : ENOSPC;
      return false;
    }
    data += n;
    left -= n;
  }
  return true;
}

// The one writer: temporary file, checked writes, fsync, rename over `path`.
bool writeThrough(const QString& path, const Producer& produce, QString* error) {
  failWritesAtFileSizeLimit();
  const QFileInfo target(path);
  const QString folder = target.path();
  const QByteArray destination = QFile::encodeName(path);
  QByteArray temporary;
  int fd = openUnnamed(folder);
  const bool unnamed = fd >= 0;
  for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
    temporary = QFile::encodeName(folder + '/' + temporaryName());
    fd = ::open(temporary.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd < 0 && errno != EEXIST)
      break;
  }
  if (fd < 0) {
    const int err = errno;
    if (error)
      *error = cannotWrite(path, fileErrorReason(err, {}));
    return false;
  }
  // A file rewritten keeps its permissions; a link at the path is not looked through.
  struct stat old;
  if (::lstat(destination.constData(), &old) == 0 && S_ISREG(old.st_mode))
    ::fchmod(fd, old.st_mode & 07777);

  QString reason;
  int err = 0;
  for (;;) {
    const QByteArrayView chunk = produce(&reason);
    if (!reason.isEmpty() || chunk.isEmpty())
      break;
    if (!writeAll(fd, chunk, &err))
      break;
  }
  if (reason.isEmpty() && err == 0 && ::fsync(fd) != 0)
    err = errno;
  if (unnamed && reason.isEmpty() && err == 0 && !nameUnnamed(fd, folder, &temporary))
    err = errno;
  if (::close(fd) != 0 && reason.isEmpty() && err == 0)
    err = errno;
  if (reason.isEmpty() && err == 0 && ::rename(temporary.constData(), destination.constData()) != 0)
    err = errno;
  if (reason.isEmpty() && err == 0)
    return true;
  if (!temporary.isEmpty())
    ::unlink(temporary.constData());  // the earlier file, if any, is untouched
  if (error)
    *error = reason.isEmpty() ? cannotWrite(path, fileErrorReason(err, {})) : reason;
  return false;
}

#else

bool writeThrough(const QString& path, const Producer& produce, QString* error) {
  QSaveFile out(path);
  QString reason;
  if (!out.open(QIODevice::WriteOnly)) {
    reason = cannotWrite(path, fileErrorReason(0, out.errorString()));
  } else {
    for (;;) {
      const QByteArrayView chunk = produce(&reason);
      if (!reason.isEmpty() || chunk.isEmpty())
        break;
      if (out.write(chunk.data(), chunk.size()) != chunk.size()) {
        reason = cannotWrite(path, fileErrorReason(0, out.errorString()));
        break;
      }
    }
    if (reason.isEmpty() && !out.commit())
      reason = cannotWrite(path, fileErrorReason(0, out.errorString()));
  }
  if (reason.isEmpty())
    return true;
  if (error)
    *error = reason;
  return false;
}

#endif

}  // namespace

void failWritesAtFileSizeLimit() {
#ifdef Q_OS_UNIX
  // SIGXFSZ ignored: the write fails with EFBIG instead.
  static std::once_flag once;
  std::call_once(once, [] { ::signal(SIGXFSZ, SIG_IGN); });
#endif
}

QString fileErrorReason(int errorNumber, const QString& fallback) {
  switch (errorNumber) {
    case ENOSPC:
#ifdef EDQUOT
    case EDQUOT:
#endif
      return QStringLiteral("disque plein");
    case EFBIG:
      return QStringLiteral("taille de fichier limitée");
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
  bool given = false;
  return writeThrough(
      path,
      [&](QString*) {
        if (given)
          return QByteArrayView();
        given = true;
        return QByteArrayView(bytes);
      },
      error);
}

bool copyFileAtomically(const QString& source, const QString& destination, QString* error) {
  QFile in(source);
  if (!in.open(QIODevice::ReadOnly)) {
    const int err = errno;
    if (error)
      *error = cannotRead(source, fileErrorReason(err, in.errorString()));
    return false;
  }
  // Chunked, so that a large picture is never held whole in memory.
  QByteArray chunk;
  return writeThrough(
      destination,
      [&](QString* reason) {
        chunk = in.read(1 << 20);
        if (chunk.isEmpty() && in.error() != QFile::NoError) {
          const int err = errno;
          *reason = cannotWrite(destination, QStringLiteral("lecture de ") + shown(source) +
                                                 QStringLiteral(" : ") +
                                                 fileErrorReason(err, in.errorString()));
        }
        return QByteArrayView(chunk);
      },
      error);
}

OwnFile readOwnFile(const QString& path, QByteArray* bytes, QString* error, bool followLink) {
  bytes->clear();
  const auto unusable = [&](const QString& reason) {
    if (error)
      *error = cannotRead(path, reason);
    return OwnFile::Unusable;
  };
#ifdef Q_OS_UNIX
  // O_NONBLOCK: opening a FIFO must not wait for a writer.
  const int fd = ::open(QFile::encodeName(path).constData(),
                        O_RDONLY | O_NONBLOCK | O_CLOEXEC | (followLink ? 0 : O_NOFOLLOW));
  if (fd < 0) {
    const int err = errno;
    if (err == ENOENT)
      return OwnFile::Missing;
    return unusable(err == ELOOP ? QStringLiteral("c'est un lien") : fileErrorReason(err, {}));
  }
  struct stat st;
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    const bool folder = S_ISDIR(st.st_mode);
    const bool fifo = S_ISFIFO(st.st_mode);
    ::close(fd);
    return unusable(folder ? QStringLiteral("c'est un dossier")
                    : fifo ? QStringLiteral("c'est un tube nommé (FIFO), pas un fichier")
                           : QStringLiteral("ce n'est pas un fichier ordinaire"));
  }
  QFile file;
  if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
    ::close(fd);
    return unusable(file.errorString());
  }
  *bytes = file.readAll();
  if (file.error() != QFileDevice::NoError)
    return unusable(fileErrorReason(errno, file.errorString()));
  return OwnFile::Read;
#else
  const QFileInfo info(path);
  if (!info.exists() && !info.isSymLink())
    return OwnFile::Missing;
  if (!info.isFile() || (info.isSymLink() && !followLink))
    return unusable(QStringLiteral("ce n'est pas un fichier ordinaire"));
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly))
    return unusable(file.errorString());
  *bytes = file.readAll();
  return OwnFile::Read;
#endif
}

namespace {
std::function<bool(const QString&)>& caseFoldingProbe() {
  static std::function<bool(const QString&)> probe;
  return probe;
}
}  // namespace

void setCaseFoldingProbe(std::function<bool(const QString& folder)> probe) {
  caseFoldingProbe() = std::move(probe);
}

bool foldsCase(const QString& folder) {
  if (caseFoldingProbe())
    return caseFoldingProbe()(folder);
#ifdef Q_OS_UNIX
  // The probe's name has lower-case letters; its upper-case spelling, absent
  // before, names it afterwards only where the file system folds case. (Inode
  // numbers cannot tell: exFAT through FUSE gives each spelling its own.)
  for (int attempt = 0; attempt < 10; ++attempt) {
    const QString name = temporaryName();
    const QByteArray lower = QFile::encodeName(folder + '/' + name);
    const QByteArray upper = QFile::encodeName(folder + '/' + name.toUpper());
    struct stat st;
    if (::lstat(upper.constData(), &st) == 0 || ::lstat(lower.constData(), &st) == 0)
      continue;
    const int fd =
        ::open(lower.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) {
      if (errno == EEXIST)
        continue;
      return false;
    }
    ::close(fd);
    const bool folds = ::lstat(upper.constData(), &st) == 0;
    ::unlink(lower.constData());
    return folds;
  }
  return false;
#else
  Q_UNUSED(folder);
  return true;  // Windows' file systems fold case
#endif
}

bool syncFolder(const QString& folder, QString* error) {
#ifdef Q_OS_UNIX
  const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  int err = fd < 0 ? errno : 0;
  if (fd >= 0) {
    if (::fsync(fd) != 0 && errno != EINVAL)  // some file systems cannot sync a folder
      err = errno;
    ::close(fd);
  }
  if (err == 0)
    return true;
  if (error)
    *error = cannotWrite(folder, fileErrorReason(err, {}));
  return false;
#else
  Q_UNUSED(folder);
  Q_UNUSED(error);
  return true;
#endif
}

int discardLeftovers(const QString& folder) {
#ifdef Q_OS_UNIX
  int removed = 0;
  const QDir dir(folder);
  for (const QString& name : dir.entryList(QDir::Files | QDir::Hidden | QDir::System)) {
    const QRegularExpressionMatch match = temporaryNamePattern().match(name);
    if (!match.hasMatch())
      continue;
    const pid_t pid = pid_t(match.captured(1).toLongLong());
    // A writer of this host that no longer runs has surely gone. Any other
    // (a container, a sandbox, another machine on a shared folder, a version
    // that wrote no host) only once the file is older than a write could be.
    const bool deadHere = match.captured(2) == hostTag() && pid > 0 && pid != ::getpid() &&
                          ::kill(pid, 0) != 0 && errno == ESRCH;
    const QFileInfo info(dir.filePath(name));
    const bool stale =
        info.lastModified().secsTo(QDateTime::currentDateTime()) > kLeftoverAgeSeconds;
    if (!deadHere && !stale)
      continue;
    removed += QFile::remove(dir.filePath(name)) ? 1 : 0;
  }
  return removed;
#else
  Q_UNUSED(folder);
  return 0;
#endif
}

}  // namespace pixolane::platform
