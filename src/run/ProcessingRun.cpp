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

Unload ProcessingRun::Form_Unload() {
  // A run that was cancelled or stopped has not made the gallery the user
  // asked to see; nothing is opened then.
  if (!isOne(job_.Check4) || !ran_ || report_.cancelled || report_.stopped)
    return Unload::Nothing;
  const QString document = outputLayout(job_.Text3, job_.Text4, options_.sep).document;
  // A run writes the ".php" page only, so the document is often missing; a
  // preview has shown its page already.
  if (!QFileInfo::exists(document))
    return job_.ModeApercu == -1 ? Unload::Nothing : Unload::NoDocument;
  const bool opened =
      options_.openDocument ? options_.openDocument(document) : platform::openDocument(document);
  return opened ? Unload::Opened : Unload::Failed;
}

QString declinedMessage() {
  return QStringLiteral("Rien n'a été écrit : la page existante n'a pas été remplacée.");
}

}  // namespace pixolane::run
