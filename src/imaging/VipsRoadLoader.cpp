// Finds, loads and starts the libvips module on first need.
#include "imaging/VipsRoad.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <dlfcn.h>

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

const VipsRoad* load() {
  for (const QString& path : candidates()) {
    if (!QFileInfo(path).isFile()) {
      continue;
    }
    // Never unloaded: libvips keeps threads and types that outlive any caller.
    void* module = dlopen(QFile::encodeName(path).constData(), RTLD_NOW | RTLD_LOCAL);
    if (!module) {
      continue;
    }
    using Entry = const VipsRoad* (*)();
    auto entry = reinterpret_cast<Entry>(dlsym(module, "pixolane_vips_road"));
    const VipsRoad* road = entry ? entry() : nullptr;
    if (road && road->start(wantedConcurrency)) {
      return road;
    }
  }
  return nullptr;
}

}  // namespace

const VipsRoad* vipsRoad() {
  static std::once_flag once;
  std::call_once(once, [] { startedRoad = load(); });
  return startedRoad;
}

void setVipsConcurrency(int threads) {
  wantedConcurrency = threads;
  if (const VipsRoad* road = startedRoad) {
    road->setConcurrency(threads);
  }
}

}  // namespace pixolane::imaging
