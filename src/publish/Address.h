#pragma once
// Where a gallery is published: sftp://user@host[:port]/folder/, ftp://... or
// ftps://... (FTP with explicit TLS). Paths follow the usual URL conventions:
// an SFTP path is absolute ("/~/" starts in the user's home), an FTP path is
// relative to the folder the login lands in.
#include <QString>

namespace pixolane::publish {

enum class Protocol { Sftp, Ftp, Ftps };

struct Address {
  Protocol protocol = Protocol::Sftp;
  QString user;  // empty: the local user (SFTP) or "anonymous" (FTP)
  QString host;
  int port = 0;    // the protocol's own when 0
  QString folder;  // decoded, always ending with '/'

  int effectivePort() const;
  // The address as the user writes it (no password, ever).
  QString text() const;
};

struct AddressParse {
  bool ok = false;
  Address address;
  QString error;  // French
};

AddressParse parseAddress(const QString& text);

}  // namespace pixolane::publish
