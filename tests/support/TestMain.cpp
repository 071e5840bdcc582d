// Shared entry point of every test executable: a Qt application object of the
// right kind, and per-user folders redirected to Qt's test locations so that no
// test ever touches the real configuration or cache of the user running it.
#include <gtest/gtest.h>

#include <QStandardPaths>

#ifdef PIXOLANE_TEST_WIDGETS
#include <QApplication>
using TestApplication = QApplication;
#else
#include <QCoreApplication>
using TestApplication = QCoreApplication;
#endif

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  // The libvips module of this build, also when a test program is run by hand
  // from its own folder, away from the module.
  if (qEnvironmentVariableIsEmpty("PIXOLANE_VIPS_MODULE")) {
    qputenv("PIXOLANE_VIPS_MODULE", PIXOLANE_TEST_VIPS_MODULE);
  }
  QStandardPaths::setTestModeEnabled(true);
#ifdef PIXOLANE_TEST_WIDGETS
  QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
#endif
  QCoreApplication::setOrganizationName("Pixolane");
  QCoreApplication::setApplicationName("Pixolane");
  TestApplication app(argc, argv);
  return RUN_ALL_TESTS();
}
