#pragma once
// The processing window: shows one run's progress and carries it out. The run
// itself (passes, workers) lives in the core; this window is its view.
#include <QDialog>

#include <functional>

#include "job/GalleryJob.h"
#include "run/ProcessingRun.h"
#include "run/RunView.h"

class QProgressBar;
class QStatusBar;
class QTimer;

namespace pixolane {

class Form2 : public QDialog, public RunView {
  Q_OBJECT

 public:
  using Navigate = std::function<void(const QString& pagePath)>;

  // `job` is the run's own copy; `navigate` shows the preview page.
  Form2(GalleryJob job, Navigate navigate, QWidget* parent = nullptr,
        RunOptions options = RunOptions{});

  ProcessingRun& run() { return run_; }
  const RunReport& report() const { return run_.report(); }
  bool running() const { return running_; }
  bool cancelRequested() const { return cancel_; }

  QProgressBar* Pb = nullptr;
  QStatusBar* Sb = nullptr;
  QTimer* Timer1 = nullptr;

  // RunView, called by the run on this (the UI) thread.
  void setCaption(const QString& caption) override;
  void setStatus(const QString& text) override;
  void setProgressMin(float value) override;
  void setProgressMax(float value) override;
  void setProgressValue(float value) override;
  bool ask(const QString& text, const QString& title) override;
  void showError(const QString& text) override;
  bool yieldCancelled() override;
  void navigate(const QString& pagePath) override;
  void close() override;

 public slots:
  void reject() override;
  void done(int result) override;

 signals:
  // The run has returned (before the window closes).
  void runFinished();

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void Form_Load();
  void Timer1_Timer();
  void Form_Unload();

  ProcessingRun run_;
  Navigate navigate_;
  bool running_ = false;
  bool cancel_ = false;
  bool unloaded_ = false;
};

}  // namespace pixolane
