#pragma once
// What a run needs of whoever shows it: the processing window, the terminal
// front end, or a test. A run calls these only from the thread it runs on.
#include <QString>

namespace pixolane {

class RunView {
 public:
  virtual ~RunView() = default;

  virtual void setCaption(const QString& caption) = 0;
  virtual void setStatus(const QString& text) = 0;  // first panel of the status bar
  virtual void setProgressMin(float value) = 0;
  virtual void setProgressMax(float value) = 0;
  virtual void setProgressValue(float value) = 0;

  // Yes/No question, Yes the default; true means Yes.
  virtual bool ask(const QString& text, const QString& title) = 0;

  // A message that stops the run (a folder that cannot be prepared...).
  virtual void showError(const QString& text) = 0;

  // Lets the view repaint and handle input; true when the user has asked to
  // cancel the run. Called once per picture and regularly while workers run.
  virtual bool yieldCancelled() = 0;

  // The preview page is ready: show it (the window's browser, the terminal).
  virtual void navigate(const QString& pagePath) = 0;

  // The run is over; the view closes itself.
  virtual void close() = 0;
};

}  // namespace pixolane
