#include "platform/Platform.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QStorageInfo>

#include <mutex>

namespace pixolane::platform {

namespace {

std::mutex openerMutex;
DocumentOpener& opener() {
  static DocumentOpener current;
  return current;
}

QString withSeparator(QString folder) {
  if (!folder.endsWith('/'))
    folder += '/';
  return QDir::toNativeSeparators(folder);
}

}  // namespace

QChar nativeSeparator() {
  return QDir::separator();
}

QString withFinalSeparator(const QString& folder, QChar sep) {
  if (folder.isEmpty() || folder.endsWith(sep))
    return folder;
  return folder + sep;
}

QString defaultLocation() {
#ifdef Q_OS_WIN
  return QStringLiteral("c:\\");
#else
  return QStringLiteral("/");
#endif
}

QString savedLocationFile() {
  const QString dir = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
  return QDir::toNativeSeparators(dir + QStringLiteral("/SauvPath.sav"));
}

QString previewFolder() {
  const QString dir = QStandardPaths::writableLocation(QStandardPaths::CacheLocation);
  return withSeparator(dir + QStringLiteral("/temp"));
}

QString galleryDataFolder(const QString& destination, const QString& pageName) {
  // The destination as one spelling: "a/b", "a/b/" and "a/./b" are one gallery.
  QString folder = QDir::cleanPath(QFileInfo(destination).absoluteFilePath());
  const QString canonical = QFileInfo(folder).canonicalFilePath();
  if (!canonical.isEmpty())
    folder = canonical;
  QCryptographicHash hash(QCryptographicHash::Sha256);
  hash.addData(folder.toUtf8());
  hash.addData(QByteArray(1, '\0'));
  hash.addData(pageName.toUtf8());
  const QString dir = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
  return withSeparator(dir + QStringLiteral("/galeries/") +
                       QString::fromLatin1(hash.result().toHex().left(32)));
}

QStringList drives() {
  QStringList roots;
#ifdef Q_OS_WIN
  for (const QFileInfo& drive : QDir::drives())
    roots << QDir::toNativeSeparators(drive.filePath());
#else
  roots << QStringLiteral("/");
  for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
    const QString root = volume.rootPath();
    if (!volume.isValid() || roots.contains(root))
      continue;
    // Pseudo file systems are not places where photographs live.
    const QByteArray type = volume.fileSystemType();
    if (type == "proc" || type == "sysfs" || type == "devtmpfs" || type == "devpts" ||
        type == "cgroup" || type == "cgroup2" || type == "securityfs" || type == "debugfs" ||
        type == "tracefs" || type == "mqueue" || type == "pstore" || type == "bpf" ||
        type == "autofs" || type == "fusectl" || type == "configfs" || type == "hugetlbfs" ||
        type == "binfmt_misc" || type == "overlay" || type == "nsfs")
      continue;
    if (root.startsWith("/proc") || root.startsWith("/sys") || root.startsWith("/dev") ||
        root.startsWith("/run"))
      continue;
    roots << root;
  }
#endif
  return roots;
}

bool driveReady(const QString& drive) {
  const QFileInfo info(drive);
  return info.exists() && info.isDir() && info.isReadable() && QDir(drive).isReadable();
}

bool folderExists(const QString& folder) {
  const QFileInfo info(folder);
  return info.exists() && info.isDir();
}

// The desktop's own opener is started as a program: the platform layer needs
// Qt Core only, so the terminal front end links nothing of the GUI.
bool openDocument(const QString& path) {
  DocumentOpener current;
  {
    std::lock_guard lock(openerMutex);
    current = opener();
  }
  if (current)
    return current(path);
#if defined(Q_OS_WIN)
  return QProcess::startDetached("cmd", {"/c", "start", "", QDir::toNativeSeparators(path)});
#elif defined(Q_OS_MACOS)
  return QProcess::startDetached("open", {path});
#else
  return QProcess::startDetached("xdg-open", {path});
#endif
}

void setDocumentOpener(DocumentOpener replacement) {
  std::lock_guard lock(openerMutex);
  opener() = std::move(replacement);
}

}  // namespace pixolane::platform
