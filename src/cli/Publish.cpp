#include "cli/Publish.h"

#include <QByteArray>

#include <termios.h>
#include <unistd.h>

#include <cstdio>
#include <optional>

#include "cli/TerminalView.h"
#include "publish/Publisher.h"

namespace pixolane::cli {

namespace {

void printRaw(FILE* f, const QString& text) {
  std::fputs(text.toLocal8Bit().constData(), f);
  std::fflush(f);
}

// File names and the server's own words are shown escaped, as the run's are:
// neither may drive the user's terminal.
void print(FILE* f, const QString& text) {
  printRaw(f, shownSafely(text));
}

class TerminalPublishView : public publish::PublishView {
 public:
  TerminalPublishView(bool show) : show_(show) {}
  ~TerminalPublishView() override {
    if (lineOpen_)
      print(stderr, "\n");
  }
  void progress(const publish::PublishProgress& p) override {
    if (!show_)
      return;
    QString line = publish::progressLine(p);
    if (!p.current.isEmpty())
      line += QStringLiteral("  ") + p.current;
    printRaw(stderr, "\r" + shownSafely(line) + "\x1b[K");
    lineOpen_ = true;
  }
  bool cancelled() override { return TerminalView::interrupted.load(); }

 private:
  bool show_;
  bool lineOpen_ = false;
};

// Read from the terminal without echo; never from the command line.
std::optional<QString> askPassword(const QString& address, bool interactive) {
  if (qEnvironmentVariableIsSet("PIXOLANE_PASSWORD"))
    return qEnvironmentVariable("PIXOLANE_PASSWORD");
  if (!interactive)
    return std::nullopt;
  print(stderr, QStringLiteral("Mot de passe pour %1 : ").arg(address));
  termios saved = {};
  const bool hidden = tcgetattr(STDIN_FILENO, &saved) == 0;
  if (hidden) {
    termios quiet = saved;
    quiet.c_lflag &= ~tcflag_t(ECHO);
    tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet);
  }
  QByteArray line;
  char c = 0;
  while (::read(STDIN_FILENO, &c, 1) == 1 && c != '\n')
    line += c;
  if (hidden)
    tcsetattr(STDIN_FILENO, TCSAFLUSH, &saved);
  print(stderr, "\n");
  if (TerminalView::interrupted.load())
    return std::nullopt;
  return QString::fromLocal8Bit(line);
}

}  // namespace

PublishOutcome publishFromTerminal(const PublishRequest& request) {
  const publish::AddressParse parsed = publish::parseAddress(request.address);
  if (!parsed.ok) {
    print(stderr, parsed.error + '\n');
    return PublishOutcome::Failed;
  }
  publish::Prompts prompts;
  prompts.acceptHostKey = [&](const QString& host, const QString& fingerprint) {
    if (request.acceptHostKey)
      print(stderr, QStringLiteral("Clé du serveur %1 acceptée : %2\n").arg(host, fingerprint));
    return request.acceptHostKey;
  };
  prompts.acceptCertificate = [&](const QString& reason) {
    if (request.acceptHostKey)
      print(stderr, reason + QStringLiteral(" (accepté par --accept-host-key)\n"));
    return request.acceptHostKey;
  };
  prompts.password = [&](const QString& address) {
    return askPassword(address, request.interactive);
  };
  const std::unique_ptr<publish::Transport> transport =
      publish::makeTransport(parsed.address, prompts);
  publish::PublishReport report;
  {
    TerminalPublishView view(request.interactive && !request.quiet);
    report = publish::publishGallery(request.destination, request.pageName, parsed.address,
                                     *transport, view);
  }
  if (report.ok) {
    print(stdout, report.summary() + '\n');
    return PublishOutcome::Published;
  }
  print(stderr, report.error + '\n');
  if (!report.error.contains(QStringLiteral("--accept-host-key")) &&
      (report.error.contains(QStringLiteral("inconnue (SHA256")) ||
       report.error.contains(QStringLiteral("certificat"))))
    print(stderr, QStringLiteral("--accept-host-key l'accepte.\n"));
  return report.cancelled || TerminalView::interrupted.load() ? PublishOutcome::Interrupted
                                                              : PublishOutcome::Failed;
}

}  // namespace pixolane::cli
