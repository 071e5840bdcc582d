#include "run/ProcessingRun.h"

#include <QFileInfo>

#include "platform/Files.h"
#include "run/Naming.h"
#include "run/Passes.h"

namespace pixolane::run {

using job::GalleryJob;
using job::isOne;
using job::isSet;

std::int16_t columnsFromCombo(const QString& text) {
  bool ok = false;
  const int value = text.trimmed().toInt(&ok);
  return ok ? std::int16_t(value) : std::int16_t(0);
}

ProcessingRun::Passes ProcessingRun::standardPasses() {
  return Passes{&Traitement, &Traitement_Copie, &Apercu};
}

ProcessingRun::ProcessingRun(GalleryJob job, RunView& view, RunOptions options)
    : job_(std::move(job)), view_(view), options_(std::move(options)), passes_(standardPasses()) {
  platform::failWritesAtFileSizeLimit();  // the kept thumbnails' file is written too
}

void ProcessingRun::Form_Load() {
  view_.setProgressMin(0);
  view_.setProgressValue(0);
  job_.CompteurColonnes = columnsFromCombo(job_.Combo1);
}

RunReport ProcessingRun::Timer1_Timer() {
  if (ran_)
    return report_;  // the timer fires once per window
  ran_ = true;
  const Pass& pass = job_.ModeApercu == -1 ? passes_.apercu
                     : isSet(job_.Check3)  ? passes_.traitement
                                           : passes_.copie;
  if (pass)
    report_ = pass(*this);
  view_.closeView();
  return report_;
}

void ProcessingRun::Form_Unload() {
  // A run that was cancelled or stopped has not made the gallery the user
  // asked to see; nothing is opened then.
  if (!isOne(job_.Check4) || !ran_ || report_.cancelled || report_.stopped)
    return;
  const QString document = outputLayout(job_.Text3, job_.Text4, options_.sep).document;
  // The open's result is not looked at. A run writes the ".php" page only, so
  // the ".html" document is often missing: the destination folder is shown
  // instead, so the user sees what was made (a preview wrote nothing there).
  const QString folder = platform::withFinalSeparator(job_.Text3, options_.sep);
  const auto open = [this](const QString& path) {
    if (options_.openDocument)
      options_.openDocument(path);
    else
      platform::openDocument(path);
  };
  if (QFileInfo::exists(document))
    open(document);
  else if (job_.ModeApercu != -1 && QFileInfo(folder).isDir())
    open(folder);
}

}  // namespace pixolane::run
