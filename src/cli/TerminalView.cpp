#include "cli/TerminalView.h"

#include <poll.h>
#include <unistd.h>

#include <cerrno>

namespace pixolane::cli {

std::atomic<bool> TerminalView::interrupted{false};

QString shownSafely(const QString& text) {
  QString out;
  out.reserve(text.size());
  for (const QChar c : text) {
    const char16_t u = c.unicode();
    if ((u < 0x20 && u != u'\n') || (u >= 0x7F && u <= 0x9F))
      out += QStringLiteral("\\x") + QString::number(u, 16).rightJustified(2, u'0').toUpper();
    else
      out += c;
  }
  return out;
}

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
    print(out_, shownSafely(text) + '\n');
  }
}

void TerminalView::redraw() {
  if (quiet_)
    return;
  // \x1b[K clears what a longer previous line left behind.
  print(out_, "\r" + shownSafely(status_ + "  " + caption_) + "\x1b[K");
  lineOpen_ = true;
}

void TerminalView::endLine() {
  if (lineOpen_)
    print(out_, "\n");
  lineOpen_ = false;
}

// Waits until input can be read or Ctrl-C was pressed (false). Polling in
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

// One whole line, read byte by byte from the descriptor so that nothing of it
// waits in a buffer for the next question. False at end of input or Ctrl-C.
bool TerminalView::readLine(QByteArray* line) {
  line->clear();
  for (;;) {
    if (!waitForInput())
      return false;
    char c = 0;
    const ssize_t n = ::read(fileno(in_), &c, 1);
    if (n < 0 && errno == EINTR)
      continue;
    if (n <= 0)
      return !line->isEmpty();  // a last line without its line break still counts
    if (c == '\n')
      return true;
    if (line->size() < 4096)  // an endless line is read to its end, not kept
      *line += c;
  }
}

namespace {
enum class Answer { Yes, No, Neither };

Answer answerOf(const QByteArray& line) {
  const QString a = QString::fromLocal8Bit(line).trimmed().toLower();
  if (a == u"o" || a == u"oui" || a == u"y" || a == u"yes")
    return Answer::Yes;
  if (a.isEmpty() || a == u"n" || a == u"non" || a == u"no")
    return Answer::No;  // No is the default: a bare Enter keeps the user's files
  return Answer::Neither;
}
}  // namespace

bool TerminalView::ask(const QString& text, const QString& title) {
  Q_UNUSED(title);
  if (answer_ != FolderAnswer::Ask || !interactive_) {
    const bool yes = answer_ == FolderAnswer::Replace;
    if (!quiet_) {
      endLine();
      print(out_, shownSafely(QString(text).replace("\r\n", "\n")) + (yes ? " Oui\n" : " Non\n"));
    }
    return yes;
  }
  endLine();
  QString prompt = shownSafely(QString(text).replace("\r\n", "\n")) + " [o/N] ";
  for (;;) {
    print(out_, prompt);
    QByteArray line;
    // End of input counts as No; so does Ctrl-C, which also cancels the run.
    if (!readLine(&line)) {
      print(out_, "\n");
      return false;
    }
    switch (answerOf(line)) {
      case Answer::Yes:
        return true;
      case Answer::No:
        return false;
      case Answer::Neither:
        prompt = QStringLiteral("Répondez o (oui) ou n (non) : ");
        break;
    }
  }
}

void TerminalView::showError(const QString& text) {
  endLine();
  print(stderr, shownSafely(text) + '\n');
}

bool TerminalView::yieldCancelled() {
  return interrupted.load();
}

void TerminalView::closeView() {
  endLine();
}

}  // namespace pixolane::cli
