#include "cli/TerminalView.h"

#include <poll.h>

namespace pixolane::cli {

std::atomic<bool> TerminalView::interrupted{false};

namespace {
void print(FILE* f, const QString& text) {
  const QByteArray bytes = text.toLocal8Bit();
  std::fwrite(bytes.constData(), 1, size_t(bytes.size()), f);
  std::fflush(f);
}
}  // namespace

TerminalView::TerminalView(FolderAnswer answer, bool quiet, bool interactive, FILE* out, FILE* in)
    : answer_(answer), quiet_(quiet), interactive_(interactive), out_(out), in_(in) {}

void TerminalView::setCaption(const QString& caption) {
  caption_ = caption;
  if (interactive_)
    redraw();
}

void TerminalView::setStatus(const QString& text) {
  status_ = text;
  if (quiet_)
    return;
  if (interactive_) {
    redraw();
  } else {
    print(out_, text + '\n');
  }
}

void TerminalView::redraw() {
  if (quiet_)
    return;
  // \x1b[K clears what a longer previous line left behind.
  print(out_, "\r" + status_ + "  " + caption_ + "\x1b[K");
  lineOpen_ = true;
}

void TerminalView::endLine() {
  if (lineOpen_)
    print(out_, "\n");
  lineOpen_ = false;
}

// Waits until a line can be read or Ctrl-C was pressed (false). Polling in
// short slices closes the gap between checking the flag and blocking in read,
// where a signal would otherwise be missed.
bool TerminalView::waitForInput() {
  pollfd input{fileno(in_), POLLIN, 0};
  while (!interrupted.load()) {
    if (::poll(&input, 1, 100) > 0)
      return true;
  }
  return false;
}

bool TerminalView::ask(const QString& text, const QString& title) {
  Q_UNUSED(title);
  if (answer_ != FolderAnswer::Ask || !interactive_) {
    const bool yes = answer_ == FolderAnswer::Replace;
    if (!quiet_) {
      endLine();
      print(out_, QString(text).replace("\r\n", "\n") + (yes ? " Oui\n" : " Non\n"));
    }
    return yes;
  }
  endLine();
  print(out_, QString(text).replace("\r\n", "\n") + " [O/n] ");
  char line[64] = {0};
  // End of input counts as No; so does Ctrl-C, which also cancels the run.
  if (!waitForInput() || !std::fgets(line, sizeof line, in_)) {
    print(out_, "\n");
    return false;
  }
  const char c = line[0];
  return c == '\n' || c == 'o' || c == 'O' || c == 'y' || c == 'Y';  // Yes is the default
}

void TerminalView::showError(const QString& text) {
  endLine();
  print(stderr, text + '\n');
}

bool TerminalView::yieldCancelled() {
  return interrupted.load();
}

void TerminalView::closeView() {
  endLine();
}

}  // namespace pixolane::cli
