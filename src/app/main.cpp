// The windowed program.
#include <QApplication>
#include <QCommandLineParser>
#include <QTimer>

#include <unistd.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "Version.h"
#include "ui/Form1.h"
#include "ui/QtFrench.h"
#include "ui/WebEngineSetup.h"

namespace {

constexpr const char* kHelp =
    "Utilisation : pixolane [options]\n"
    "Fait d'une liste de photos JPEG une galerie pour le Web, dans une fenêtre.\n"
    "\n"
    "Options :\n"
    "  -h, --help               affiche cette aide et s'arrête\n"
    "  --version                affiche le numéro de version et s'arrête\n"
    "  --screenshot <fichier>   enregistre une image de la fenêtre principale au\n"
    "                           démarrage dans <fichier> (PNG) et s'arrête\n"
    "\n"
    "Les options communes des programmes Qt (-platform, -style...) sont aussi\n"
    "acceptées. pixolane-cli fait les mêmes galeries depuis un terminal.\n";

// Screen readers and UI automation find every control by its caption: the
// accessibility bridge stays on even when no assistive tool announced itself.
void prepareAccessibility() {
#ifdef Q_OS_LINUX
  if (qEnvironmentVariableIsEmpty("QT_LINUX_ACCESSIBILITY_ALWAYS_ON"))
    qputenv("QT_LINUX_ACCESSIBILITY_ALWAYS_ON", "1");
#endif
}

// --help and --version answer before the application starts: they need no
// display.
bool asked(int argc, char** argv, std::initializer_list<const char*> names) {
  for (int i = 1; i < argc; ++i) {
    for (const char* name : names) {
      if (std::strcmp(argv[i], name) == 0)
        return true;
    }
  }
  return false;
}

// A display that cannot be opened is fatal to Qt, which would abort: the
// program says so in French and ends with status 1 instead.
QtMessageHandler qtMessages = nullptr;
bool startingUp = true;

void startUpMessages(QtMsgType type, const QMessageLogContext& context, const QString& text) {
  if (type == QtFatalMsg && startingUp) {
    std::fputs(
        "pixolane : impossible d'ouvrir l'affichage. La fenêtre a besoin d'un écran "
        "(DISPLAY ou WAYLAND_DISPLAY) ; pixolane-cli fait les galeries sans fenêtre.\n",
        stderr);
    std::fflush(stderr);
    std::_Exit(1);
  }
  qtMessages(type, context, text);
}

void refuse(const QString& text) {
  std::fprintf(stderr, "pixolane : %s\nEssayez « pixolane --help ».\n", qPrintable(text));
}

}  // namespace

int main(int argc, char** argv) {
  if (asked(argc, argv, {"-h", "--help", "-?", "--help-all"})) {
    std::fputs(kHelp, stdout);
    return 0;
  }
  if (asked(argc, argv, {"-v", "--version"})) {
    std::printf("pixolane %s\n", PIXOLANE_VERSION);
    return 0;
  }
  pixolane::ui::prepareWebEngine();
  prepareAccessibility();
  QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
  QCoreApplication::setOrganizationName(QStringLiteral("Pixolane"));
  QCoreApplication::setApplicationName(QStringLiteral("Pixolane"));
  QCoreApplication::setApplicationVersion(QStringLiteral(PIXOLANE_VERSION));
  qtMessages = qInstallMessageHandler(startUpMessages);
  QApplication app(argc, argv);
  startingUp = false;
  QGuiApplication::setDesktopFileName(QStringLiteral("org.pixolane.Pixolane"));
  pixolane::ui::installQtFrench(app);

  // Qt's own options are gone from the arguments by now.
  QCommandLineParser parser;
  const QCommandLineOption screenshot(QStringLiteral("screenshot"), QString(),
                                      QStringLiteral("fichier"));
  parser.addOption(screenshot);
  if (!parser.parse(app.arguments())) {
    const QStringList unknown = parser.unknownOptionNames();
    refuse(unknown.isEmpty() ? QStringLiteral("--screenshot demande un nom de fichier.")
                             : QStringLiteral("option inconnue « %1 ».").arg(unknown.first()));
    return 1;
  }

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
