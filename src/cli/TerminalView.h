#pragma once
// The run's view on a terminal: progress on one redrawn line (or one line per
// step when not a terminal), questions answered by option or on stdin, and
// Ctrl-C as the cancel button.
#include <QByteArray>
#include <QString>

#include <atomic>
#include <cstdio>

#include "cli/CliOptions.h"
#include "run/RunView.h"

namespace pixolane::cli {

// The text with its control characters written "\x1B", so that a file name
// cannot move the cursor, retitle or clear the user's terminal. Line breaks
// stay.
QString shownSafely(const QString& text);

class TerminalView : public run::RunView {
 public:
  TerminalView(FolderAnswer answer, bool quiet, bool interactive, FILE* out = stderr,
               FILE* in = stdin);

  void setCaption(const QString& caption) override;
  void setStatus(const QString& text) override;
  void setProgressMin(float) override {}
  void setProgressMax(float) override {}
  void setProgressValue(float) override {}
  bool ask(const QString& text, const QString& title) override;
  void showError(const QString& text) override;
  bool yieldCancelled() override;
  void navigate(const QString& pagePath) override { navigated_ = pagePath; }
  void closeView() override;

  const QString& navigated() const { return navigated_; }

  // Set from the SIGINT handler.
  static std::atomic<bool> interrupted;

 private:
  bool waitForInput();
  bool readLine(QByteArray* line);
  void redraw();
  void endLine();

  FolderAnswer answer_;
  bool quiet_;
  bool interactive_;
  FILE* out_;
  FILE* in_;
  QString status_, caption_, navigated_;
  bool lineOpen_ = false;
};

}  // namespace pixolane::cli
