#include "ui/Desktop.h"

#include <QObject>
#include <QProcess>

#include "platform/Platform.h"

namespace pixolane::ui {

bool openWithDesktop(const QString& path, QObject* context, std::function<void()> failed) {
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
  // xdg-open says by its exit status whether a program took the document; it
  // is watched, not waited for. Its output goes nowhere, so that a chatty
  // opener never blocks on a full pipe.
  auto* opener = new QProcess;
  opener->setProgram(QStringLiteral("xdg-open"));
  opener->setArguments({path});
  opener->setStandardOutputFile(QProcess::nullDevice());
  opener->setStandardErrorFile(QProcess::nullDevice());
  QObject::connect(opener, &QProcess::finished, context,
                   [failed](int code, QProcess::ExitStatus status) {
                     if (status != QProcess::NormalExit || code != 0)
                       failed();
                   });
  QObject::connect(opener, &QProcess::finished, opener, &QObject::deleteLater);
  opener->start();
  if (!opener->waitForStarted()) {
    delete opener;
    return false;
  }
  return true;
#else
  Q_UNUSED(context);
  Q_UNUSED(failed);
  return platform::openDocument(path);
#endif
}

}  // namespace pixolane::ui
