#pragma once
// --publish and --publish-only: the gallery sent to its web server from the
// terminal, with the progress on one redrawn line.
#include <QString>

namespace pixolane::cli {

struct PublishRequest {
  QString address;
  QString destination;
  QString pageName;
  bool acceptHostKey = false;  // --accept-host-key: also a certificate that does not verify
  bool quiet = false;
  bool interactive = false;  // a terminal on stdin and stderr
};

enum class PublishOutcome { Published, Failed, Interrupted };

// Publishes and prints the outcome: the summary on stdout, the reason on stderr.
PublishOutcome publishFromTerminal(const PublishRequest& request);

}  // namespace pixolane::cli
