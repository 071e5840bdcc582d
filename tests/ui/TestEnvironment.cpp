// The window tests run without a display wherever they are started from (CTest
// lists them by running the executable without the tests' environment): the
// settings are made before main creates the application.
#include <QByteArray>
#include <QtGlobal>

#include "ui/WebEngineSetup.h"

namespace {

void setIfUnset(const char* name, const QByteArray& value) {
  if (qEnvironmentVariableIsEmpty(name))
    qputenv(name, value);
}

const bool prepared = [] {
  setIfUnset("QT_QPA_PLATFORM", "offscreen");
  setIfUnset("QT_ACCESSIBILITY", "1");
  pixolane::ui::prepareWebEngine();
  return true;
}();

}  // namespace
