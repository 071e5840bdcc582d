#pragma once
// What the publisher needs of a server: a folder, a file sent under a name,
// a rename over an existing name, a removal. Paths are relative to the
// publication folder, '/' between folders. Errors come back as French text.
#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>

#include "publish/Address.h"

namespace pixolane::publish {

// Called as a file goes out with the bytes sent so far; false stops the transfer.
using SendProgress = std::function<bool(qint64 bytesSent)>;

class Transport {
 public:
  virtual ~Transport() = default;
  // Connects and logs in.
  virtual bool open(QString* error) = 0;
  // Makes a folder and its missing parents.
  virtual bool makeFolder(const QString& folder, QString* error) = 0;
  // Writes `remote` with `bytes`, created or truncated.
  virtual bool send(const QByteArray& bytes, const QString& remote, const SendProgress& progress,
                    QString* error) = 0;
  // Moves `from` to `to`, replacing `to` when it exists.
  virtual bool rename(const QString& from, const QString& to, QString* error) = 0;
  // Removes a file; one already gone counts as removed.
  virtual bool remove(const QString& remote, QString* error) = 0;
  // The names in a folder (a missing folder has none).
  virtual bool list(const QString& folder, QStringList* names, QString* error) = 0;
};

// The questions a connection may need answered by the user. An empty
// function answers no.
struct Prompts {
  // An unknown host key: its SHA-256 fingerprint; true to trust it from now on.
  std::function<bool(const QString& host, const QString& fingerprint)> acceptHostKey;
  // A TLS certificate that does not verify, with the reason; true to go on.
  std::function<bool(const QString& reason)> acceptCertificate;
  // The password for the address (asked, from the keyring or the environment);
  // nothing when the user gave none.
  std::function<std::optional<QString>(const QString& address)> password;
  // Where the SSH keys and known_hosts live; empty: ~/.ssh.
  QString sshFolder;
  // Seconds without an answer before the connection is given up.
  int timeoutSeconds = 30;
};

std::unique_ptr<Transport> makeTransport(const Address& address, const Prompts& prompts);

// Message parts shared by the transports.
QString unknownHostMessage(const QString& host);
QString refusedMessage(const QString& host, int port);
QString timeoutMessage(const QString& host);
QString loginRefusedMessage(const QString& user);
QString hostKeyRefusedMessage(const QString& host, const QString& fingerprint);

}  // namespace pixolane::publish
