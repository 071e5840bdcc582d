#include "run/Step.h"

#include <QFileInfo>
#include <QHash>
#include <QThread>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <new>
#include <system_error>
#include <thread>
#include <vector>

#include "run/Naming.h"
#include "run/Progress.h"

namespace pixolane::run {

namespace {

// Entries grouped by output file name; a group keeps list order. Names are
// compared with case folded: on a destination that folds case (a USB stick)
// "A.jpg" and "a.jpg" are one file, and elsewhere grouping them changes
// nothing but which worker writes them.
std::vector<std::vector<int>> groupsByOutputName(const QStringList& list, QChar sep) {
  std::vector<std::vector<int>> groups;
  QHash<QString, size_t> groupOf;
  for (int i = 0; i < list.size(); ++i) {
    const QString name = NomPic(list.at(i), sep).toCaseFolded();
    const auto found = groupOf.constFind(name);
    if (found == groupOf.constEnd()) {
      groupOf.insert(name, groups.size());
      groups.push_back({i});
    } else {
      groups[*found].push_back(i);
    }
  }
  return groups;
}

// The largest sources first: a step whose biggest picture starts last ends
// with one worker decoding it while the others idle. Results still go to
// per-entry slots, so the order of work never shows in the output.
void largestFirst(std::vector<std::vector<int>>& groups, const QStringList& list) {
  std::vector<std::pair<qint64, size_t>> weights;
  for (size_t g = 0; g < groups.size(); ++g) {
    qint64 bytes = 0;
    for (int index : groups[g])
      bytes += QFileInfo(list.at(index)).size();
    weights.push_back({bytes, g});
  }
  std::stable_sort(weights.begin(), weights.end(),
                   [](const auto& a, const auto& b) { return a.first > b.first; });
  std::vector<std::vector<int>> sorted;
  sorted.reserve(groups.size());
  for (const auto& [bytes, g] : weights)
    sorted.push_back(std::move(groups[g]));
  groups = std::move(sorted);
}

class Progress {
 public:
  Progress(const QStringList& list, QChar sep, RunView& view)
      : list_(list), sep_(sep), view_(view), max_(progressMax(int(list.size()))) {}

  // Caption for the picture `index` of the step, as the first picture shows 0%.
  void caption(int index) {
    if (index >= list_.size())
      return;
    view_.setCaption(progressCaption(index, int(list_.size()), NomPic(list_.at(index), sep_),
                                     progressPercent(index, max_)));
  }
  float max() const { return max_; }

 private:
  const QStringList& list_;
  QChar sep_;
  RunView& view_;
  float max_;
};

// What a throwing work item tells the user.
QString thrownReason(std::exception_ptr thrown) {
  try {
    std::rethrow_exception(thrown);
  } catch (const std::bad_alloc&) {
    return QStringLiteral("mémoire insuffisante");
  } catch (const std::exception& e) {
    return QStringLiteral("erreur interne : ") + QString::fromLocal8Bit(e.what());
  } catch (...) {
    return QStringLiteral("erreur interne");
  }
}

}  // namespace

int workerCount(int requested) {
  if (requested > 0)
    return requested;
  return std::max(1, QThread::idealThreadCount());
}

StepEnd runStep(const QStringList& list, const StepSettings& settings, RunView& view,
                const StepWork& work, const StepFailure& failed) {
  view.setStatus(settings.status);
  if (settings.resetValue)
    view.setProgressValue(0);
  Progress progress(list, settings.sep, view);
  view.setProgressMax(progress.max());
  if (list.isEmpty())
    return StepEnd{view.yieldCancelled(), {}};

  auto groups = groupsByOutputName(list, settings.sep);
  largestFirst(groups, list);
  std::atomic<size_t> nextGroup{0};
  std::atomic<bool> stop{false};
  std::atomic<bool> held{view.holdNewPictures()};
  std::mutex mutex;
  std::condition_variable changed;
  int finished = 0;

  int running = 0;  // workers that have not yet left their loop

  auto worker = [&] {
    WorkerState state;
    while (!stop.load()) {
      if (held.load()) {
        // The user is asked whether to stop: no new picture before the answer.
        std::unique_lock lock(mutex);
        changed.wait(lock, [&] { return !held.load() || stop.load(); });
        continue;
      }
      const size_t g = nextGroup.fetch_add(1);
      if (g >= groups.size())
        break;
      for (int index : groups[g]) {
        try {
          work(index, state);
        } catch (...) {
          // Nothing may escape a thread, and a failure is never a success.
          failed(index, thrownReason(std::current_exception()));
        }
        std::lock_guard lock(mutex);
        ++finished;
        changed.notify_all();
      }
    }
    state.scratch.release();
    std::lock_guard lock(mutex);
    --running;
    changed.notify_all();
  };

  StepEnd end{view.yieldCancelled(), {}};
  bool& cancelled = end.cancelled;
  progress.caption(0);
  std::vector<std::thread> pool;
  if (!cancelled) {
    const int threads = std::min<int>(workerCount(settings.workers), int(groups.size()));
    std::lock_guard lock(mutex);
    running = threads;
    try {
      for (int t = 0; t < threads; ++t)
        pool.emplace_back(worker);
    } catch (const std::system_error& e) {
      // Fewer workers than asked still finish the step; none at all stops it.
      running -= threads - int(pool.size());
      if (pool.empty())
        end.stopMessage = QStringLiteral("Impossible de démarrer le traitement : ") +
                          QString::fromLocal8Bit(e.what());
    }
  }

  // The view is touched from this thread only. It keeps being served while
  // the workers run, and while the pictures in flight finish after a cancel.
  int shown = 0;
  for (;;) {
    int done;
    bool idle;
    {
      std::unique_lock lock(mutex);
      changed.wait_for(lock, std::chrono::milliseconds(40),
                       [&] { return finished != shown || running == 0; });
      done = finished;
      idle = running == 0;
    }
    if (done != shown) {
      shown = done;
      view.setProgressValue(float(done - 1));
      progress.caption(done);
    }
    if (idle)
      break;
    const bool cancelNow = view.yieldCancelled() && !cancelled;
    const bool hold = view.holdNewPictures();
    if (cancelNow || hold != held.load()) {
      const std::lock_guard lock(mutex);
      if (cancelNow) {
        cancelled = true;
        stop.store(true);
      }
      held.store(hold);
      changed.notify_all();  // held workers see the change
    }
  }
  for (auto& t : pool)
    t.join();
  return end;
}

}  // namespace pixolane::run
