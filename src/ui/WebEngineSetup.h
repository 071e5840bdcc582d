#pragma once
// The one place that gives Chromium the flags the embedded browser needs on a
// plain machine: as root it refuses its sandbox, and without a GPU (or with
// no display at all) it must draw in software. Header-only so that every
// program and test that starts the engine uses it, whatever it links.
#include <QByteArray>
#include <QFile>
#include <QtGlobal>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace pixolane::ui {

inline void appendChromiumFlag(const QByteArray& flag) {
  QByteArray flags = qgetenv("QTWEBENGINE_CHROMIUM_FLAGS");
  if (flags.contains(flag))
    return;
  if (!flags.isEmpty())
    flags += ' ';
  qputenv("QTWEBENGINE_CHROMIUM_FLAGS", flags + flag);
}

// Call before the application object exists: Chromium reads the flags once.
inline void prepareWebEngine() {
#ifdef Q_OS_UNIX
  if (::geteuid() == 0)
    appendChromiumFlag("--no-sandbox");
  const bool gpu = QFile::exists(QStringLiteral("/dev/dri"));
  // Chromium then draws in software; Qt's own OpenGL falls back to Mesa.
  if (!gpu || qgetenv("QT_QPA_PLATFORM") == "offscreen")
    appendChromiumFlag("--disable-gpu");
#endif
}

}  // namespace pixolane::ui
