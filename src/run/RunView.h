#pragma once
// What a run needs of whoever shows it: the processing window, the terminal
// front end, or a test.
//
// Threads: a run calls every function below from the one thread it runs on
// (the processing window's worker thread, the terminal's main thread, a
// test's thread), never from the picture workers. A view that lives on
// another thread (the window) forwards progress as queued signals and blocks
// the run in ask() and showError() until its own thread has answered; the
// terminal and the tests answer at once on the calling thread.
#include <QString>

namespace pixolane::run {

class RunView {
 public:
  virtual ~RunView() = default;

  virtual void setCaption(const QString& caption) = 0;
  virtual void setStatus(const QString& text) = 0;  // first panel of the status bar
  virtual void setProgressMin(float value) = 0;
  virtual void setProgressMax(float value) = 0;
  virtual void setProgressValue(float value) = 0;

  // Yes/No question, Yes the default; true means Yes. Blocks the run until
  // answered; a view whose run is being cancelled answers No.
  virtual bool ask(const QString& text, const QString& title) = 0;

  // A message that stops the run (a folder that cannot be prepared...).
  // Returns once the user has seen it.
  virtual void showError(const QString& text) = 0;

  // True when the user has asked to cancel the run; a synchronous view also
  // lets its display catch up here. Called once per picture and regularly
  // while workers run.
  virtual bool yieldCancelled() = 0;

  // True while no new picture may start (the user is being asked whether to
  // stop); the pictures in flight go on. Called as often as yieldCancelled.
  virtual bool holdNewPictures() { return false; }

  // The preview page is ready: show it (the window's browser, the terminal).
  virtual void navigate(const QString& pagePath) = 0;

  // The run is over: the last call a run makes.
  virtual void closeView() = 0;
};

}  // namespace pixolane::run
