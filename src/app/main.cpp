// The windowed program.
#include <QApplication>
#include <QCommandLineParser>
#include <QTimer>

#include "ui/Form1.h"
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

}  // namespace

int main(int argc, char** argv) {
  pixolane::ui::prepareWebEngine();
  prepareAccessibility();
  QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
  QCoreApplication::setOrganizationName(QStringLiteral("Pixolane"));
  QCoreApplication::setApplicationName(QStringLiteral("Pixolane"));
  QApplication app(argc, argv);

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
