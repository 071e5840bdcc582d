#pragma once
// The processing window: shows one run's progress while the run (passes,
// workers) goes on a worker thread of its own, so the window stays live.
//
// Threads: the constructor, the slots and done() run on the window's thread.
// The RunView functions are called by the run on the worker thread (and by
// Form_Load on the window's thread): progress reaches the widgets as queued
// signals, and ask()/showError() wait on the worker until the window has
// answered. Closing the window during a run only asks the run to cancel; the
// window closes once the pictures in flight are done and the run has returned.
#include <QDialog>

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>

#include "job/GalleryJob.h"
#include "run/ProcessingRun.h"
#include "run/RunView.h"
#include "ui/Services.h"

class QProgressBar;
class QStatusBar;
class QThread;
class QTimer;

namespace pixolane::ui {

class Form2 : public QDialog, public run::RunView {
  Q_OBJECT

 public:
  using Navigate = std::function<void(const QString& pagePath)>;

  // `job` is the run's own copy; `navigate` shows the preview page; the
  // services show its boxes and open the finished gallery.
  Form2(job::GalleryJob job, Navigate navigate, Services services, QWidget* parent = nullptr,
        run::RunOptions options = run::RunOptions{});
  // Cancels a run still going and waits for it.
  ~Form2() override;

  run::ProcessingRun& run() { return run_; }
  // Read once the run has returned (after runFinished).
  const run::RunReport& report() const { return run_.report(); }
  bool running() const { return worker_ != nullptr; }
  bool cancelRequested() const;

  QProgressBar* Pb = nullptr;
  QStatusBar* Sb = nullptr;
  QTimer* Timer1 = nullptr;

  // RunView: called by the run on the worker thread.
  void setCaption(const QString& caption) override;
  void setStatus(const QString& text) override;
  void setProgressMin(float value) override;
  void setProgressMax(float value) override;
  void setProgressValue(float value) override;
  bool ask(const QString& text, const QString& title) override;
  void showError(const QString& text) override;
  bool yieldCancelled() override;
  void navigate(const QString& pagePath) override;
  void closeView() override;

 public slots:
  // Every way of closing (close box, Esc, accept/reject) ends here: during a
  // run it asks the run to cancel and the window stays until the run returns.
  void done(int result) override;

 signals:
  // The run has returned (before the window closes).
  void runFinished();

  // From the worker to the widgets, queued.
  void captionShown(const QString& caption);
  void statusShown(const QString& text);
  void progressMinShown(int value);
  void progressMaxShown(int value);
  void progressValueShown(int value);
  void pageReady(const QString& pagePath);

 private:
  void Form_Load();
  void Timer1_Timer();
  void Form_Unload();
  void runReturned();
  void requestCancel();
  // Runs `show` on the window's thread and waits for its answer; `whenCancelled`
  // when the run is being cancelled (the box is then never shown).
  bool answerFromWindow(std::function<bool()> show, bool whenCancelled);

  const Services services_;
  run::ProcessingRun run_;
  Navigate navigate_;
  std::unique_ptr<QThread> worker_;  // set while the run goes

  // The answer of the question on show, handed from the window's thread.
  std::mutex answerMutex_;
  std::condition_variable answered_;
  std::optional<bool> answer_;
};

}  // namespace pixolane::ui
