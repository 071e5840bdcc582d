// The windowed program.
#include <QApplication>
#include <QCommandLineParser>
#include <QFile>
#include <QTimer>

#include <unistd.h>
#include <cstdio>
#include <cstring>

#include "Version.h"
#include "ui/Form1.h"
#include "ui/QtFrench.h"

namespace {

void appendChromiumFlag(const QByteArray& flag) {
  QByteArray flags = qgetenv("QTWEBENGINE_CHROMIUM_FLAGS");
  if (flags.contains(flag))
    return;
  if (!flags.isEmpty())
    flags += ' ';
  qputenv("QTWEBENGINE_CHROMIUM_FLAGS", flags + flag);
}

// The embedded browser must come up on a plain machine: as root Chromium
// refuses its sandbox, and without a GPU it must draw in software.
void prepareWebEngine() {
#ifdef Q_OS_UNIX
  if (::geteuid() == 0)
    appendChromiumFlag("--no-sandbox");
  const bool gpu = QFile::exists(QStringLiteral("/dev/dri"));
  // Chromium then draws in software; Qt's own OpenGL falls back to Mesa.
  if (!gpu || qgetenv("QT_QPA_PLATFORM") == "offscreen")
    appendChromiumFlag("--disable-gpu");
#endif
}

// Screen readers and UI automation find every control by its caption: the
// accessibility bridge stays on even when no assistive tool announced itself.
void prepareAccessibility() {
#ifdef Q_OS_LINUX
  if (qEnvironmentVariableIsEmpty("QT_LINUX_ACCESSIBILITY_ALWAYS_ON"))
    qputenv("QT_LINUX_ACCESSIBILITY_ALWAYS_ON", "1");
#endif
}

// --version answers before the application starts: it needs no display.
bool versionAsked(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--version") == 0)
      return true;
  }
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  if (versionAsked(argc, argv)) {
    std::printf("pixolane %s\n", PIXOLANE_VERSION);
    return 0;
  }
  prepareWebEngine();
  prepareAccessibility();
  QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
  QCoreApplication::setOrganizationName(QStringLiteral("Pixolane"));
  QCoreApplication::setApplicationName(QStringLiteral("Pixolane"));
  QCoreApplication::setApplicationVersion(QStringLiteral(PIXOLANE_VERSION));
  QApplication app(argc, argv);
  QGuiApplication::setDesktopFileName(QStringLiteral("org.pixolane.Pixolane"));
  pixolane::ui::installQtFrench(app);

  QCommandLineParser parser;
  parser.addHelpOption();
  const QCommandLineOption screenshot(QStringLiteral("screenshot"),
                                      QStringLiteral("Save a picture of the main window and quit."),
                                      QStringLiteral("file"));
  parser.addOption(screenshot);
  parser.process(app);

  pixolane::Form1 window;
  window.show();

  if (parser.isSet(screenshot)) {
    const QString file = parser.value(screenshot);
    QTimer::singleShot(500, &window, [&window, file] {
      const bool saved = window.grab().save(file);
      QCoreApplication::exit(saved ? 0 : 1);
    });
  }
  return app.exec();
}
