#pragma once
// One step of a run (all full-size pictures, or all thumbnails) spread over a
// pool of worker threads, with the progress report made on the calling thread.
#include <QString>
#include <QStringList>

#include <functional>

#include "imaging/Imaging.h"
#include "run/RunView.h"

namespace pixolane::run {

struct StepSettings {
  QString status;   // first panel of the status bar
  bool resetValue;  // step 2 sets Pb.Value back to 0
  int workers = 1;
  QChar sep;
};

// What a worker owns for the whole step: its own scratch picture.
struct WorkerState {
  imaging::Scratch scratch;
};

using StepWork = std::function<void(int index, WorkerState& state)>;
// Called on the worker when work(index) threw: the reason, in French.
using StepFailure = std::function<void(int index, const QString& reason)>;

struct StepEnd {
  bool cancelled = false;  // the user cancelled: the pictures in flight were finished
  QString stopMessage;     // no worker could be started: nothing was drawn
  bool completed() const { return !cancelled && stopMessage.isEmpty(); }
};

// Runs work(i) for every list entry. Entries whose output names collide (case
// aside) run in list order on one worker, so the later entry wins whatever the
// number of workers. The largest sources start first, so the step does not end waiting
// on one big picture. A work item that throws is handed to `failed` and the
// step goes on.
StepEnd runStep(const QStringList& list, const StepSettings& settings, RunView& view,
                const StepWork& work, const StepFailure& failed);

// The number of workers to use: `requested`, or one per core when 0.
int workerCount(int requested);

}  // namespace pixolane::run
