// Finds, loads and starts the libvips module on first need.
#include "imaging/VipsRoad.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLibrary>
#include <QStringList>

#include <atomic>
#include <mutex>

#ifndef PIXOLANE_MODULE_FROM_BINDIR
#define PIXOLANE_MODULE_FROM_BINDIR "../lib/pixolane"
#endif

namespace pixolane::imaging {

namespace {

constexpr const char* kModuleName = "libpixolane_vips.so";

std::atomic<int> wantedConcurrency{-1};
std::atomic<const VipsRoad*> startedRoad{nullptr};

// PIXOLANE_VIPS_MODULE names the module outright (the tests use it); else it
// sits beside the program (the build tree) or in the installed library folder.
QStringList candidates() {
  QStringList paths;
  const QByteArray named = qgetenv("PIXOLANE_VIPS_MODULE");
  if (!named.isEmpty()) {
    paths << QFile::decodeName(named);
  }
  const QString program = QFile::symLinkTarget(QStringLiteral("/proc/self/exe"));
  if (!program.isEmpty()) {
    const QString folder = QFileInfo(program).absolutePath();
    paths << folder + QLatin1Char('/') + QLatin1String(kModuleName)
          << QDir::cleanPath(folder + QStringLiteral("/" PIXOLANE_MODULE_FROM_BINDIR "/") +
                             QLatin1String(kModuleName));
  }
  return paths;
}

QString problem;  // why the road is missing; written once, under the call_once

const VipsRoad* load() {
  QStringList reasons;
  for (const QString& path : candidates()) {
    if (!QFileInfo(path).isFile()) {
      continue;
    }
    // Never unloaded: libvips keeps threads and types that outlive any caller.
    QLibrary module(path);
    module.setLoadHints(QLibrary::PreventUnloadHint);
    if (!module.load()) {
      reasons << module.errorString();
      continue;
    }
    using Version = int (*)();
    using Entry = const VipsRoad* (*)();
    const auto version = reinterpret_cast<Version>(module.resolve("pixolane_vips_road_version"));
    if (!version || version() != kVipsRoadVersion) {
      reasons << QStringLiteral("%1 : module d'une autre version (%2, attendue %3)")
                     .arg(QDir::toNativeSeparators(path))
                     .arg(version ? version() : 0)
                     .arg(kVipsRoadVersion);
      continue;
    }
    const auto entry = reinterpret_cast<Entry>(module.resolve("pixolane_vips_road"));
    const VipsRoad* road = entry ? entry() : nullptr;
    if (road && road->start(wantedConcurrency)) {
      return road;
    }
    reasons << QStringLiteral("%1 : libvips n'a pas démarré").arg(QDir::toNativeSeparators(path));
  }
  problem = reasons.isEmpty()
                ? QStringLiteral("module %1 introuvable").arg(QLatin1String(kModuleName))
                : reasons.join(QStringLiteral(" ; "));
  return nullptr;
}

std::once_flag loadOnce;

}  // namespace

const VipsRoad* vipsRoad() {
  std::call_once(loadOnce, [] { startedRoad = load(); });
  return startedRoad;
}

QString vipsRoadProblem() {
  return vipsRoad() ? QString() : problem;
}

void setVipsConcurrency(int threads) {
  wantedConcurrency = threads;
  if (const VipsRoad* road = startedRoad) {
    road->setConcurrency(threads);
  }
}

}  // namespace pixolane::imaging
