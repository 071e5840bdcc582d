// The windowed program.
#include <QApplication>
#include <QCommandLineParser>
#include <QTimer>

#include <unistd.h>
#include <cstdio>
#include <cstring>

#include "Version.h"
#include "ui/Form1.h"
#include "ui/QtFrench.h"
#include "ui/WebEngineSetup.h"

namespace {

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
  pixolane::ui::prepareWebEngine();
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

  pixolane::ui::Form1 window;
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
