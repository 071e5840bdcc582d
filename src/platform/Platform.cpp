#include "platform/Platform.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QProcess>
#include <QStandardPaths>
#include <QStorageInfo>
#include <QUrl>

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

bool openDocument(const QString& path) {
  DocumentOpener current;
  {
    std::lock_guard lock(openerMutex);
    current = opener();
  }
  if (current)
    return current(path);
  if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
    // The terminal front end has no GUI application: the document goes to the
    // desktop's own opener.
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
