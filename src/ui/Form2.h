#pragma once
// The processing window: shows one run's progress while the run (passes,
// workers) goes on a worker thread of its own, so the window stays live.
//
// Threads: the window lives on the UI thread and is never called by the run;
// the run talks to its RunBridge, which hands progress over as queued signals
// and questions as calls answered on the UI thread. "Annuler", Esc and the
// close box ask whether to stop; Yes stops the run, whose pictures in flight
// finish, and the window closes once the run has returned. While the user
// answers, no new picture starts. Questions are opened, never waited for.
// The opener acts on finished(); the window shows no box of its own about
// the run's end.
#include <QDialog>

#include <functional>
#include <memory>

#include "job/GalleryJob.h"
#include "run/ProcessingRun.h"
#include "ui/Services.h"

class QProgressBar;
class QPushButton;
class QStatusBar;
class QThread;
class QTimer;

namespace pixolane::ui {

class RunBridge;

// The window's design caption: the title of its questions.
inline const QString kRunTitle = QStringLiteral("Traitement");

class Form2 : public QDialog {
  Q_OBJECT

 public:
  using Navigate = std::function<void(const QString& pagePath)>;

  // `job` is the run's own copy; `navigate` shows the preview page; the
  // services show its boxes, open the finished gallery and give the run's
  // options.
  Form2(job::GalleryJob job, Navigate navigate, Services services, QWidget* parent = nullptr);
  // Stops a run still going and waits for it.
  ~Form2() override;

  const job::GalleryJob& job() const { return run_->job(); }
  const run::RunReport& report() const { return run_->report(); }
  bool ran() const { return run_->ran(); }
  // The user asked to stop and said Yes.
  bool cancelRequested() const;
  // What the unload did about the ".html" document (once closed).
  run::Unload unloaded() const { return unloaded_; }
  // The user said Yes to stopping after the run had ended: nothing was stopped.
  bool stopCameLate() const { return stopCameLate_; }

 public slots:
  // Every way of closing (close box, Esc, "Annuler", accept/reject) ends
  // here: during a run it asks whether to stop, and the window stays until
  // the run has returned.
  void done(int result) override;

 private:
  void Form_Load();
  void Timer1_Timer();
  void Form_Unload();
  void Annuler_Click();
  void stopAnswered(bool stop);
  void runReturned();
  // Closes the window once the run has returned: accepted when it completed.
  void finish();

  const Services services_;
  Navigate navigate_;
  RunBridge* bridge_ = nullptr;
  std::unique_ptr<run::ProcessingRun> run_;
  std::unique_ptr<QThread> worker_;  // set while the run goes
  bool stopCameLate_ = false;
  run::Unload unloaded_ = run::Unload::Nothing;

  QProgressBar* Pb = nullptr;
  QPushButton* Command1 = nullptr;  // "Annuler"
  QStatusBar* Sb = nullptr;
  QTimer* Timer1 = nullptr;
};

}  // namespace pixolane::ui
