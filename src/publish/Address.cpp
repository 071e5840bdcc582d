#include "publish/Address.h"

#include <QUrl>

namespace pixolane::publish {

int Address::effectivePort() const {
  if (port > 0)
    return port;
  return protocol == Protocol::Sftp ? 22 : 21;
}

QString Address::text() const {
  QUrl url;
  url.setScheme(protocol == Protocol::Sftp  ? QStringLiteral("sftp")
                : protocol == Protocol::Ftp ? QStringLiteral("ftp")
                                            : QStringLiteral("ftps"));
  url.setUserName(user);
  url.setHost(host);
  if (port > 0)
    url.setPort(port);
  url.setPath(folder);
  return url.toString(QUrl::FullyEncoded);
}

AddressParse parseAddress(const QString& text) {
  AddressParse result;
  const QString trimmed = text.trimmed();
  const QUrl url(trimmed, QUrl::StrictMode);
  const QString scheme = url.scheme().toLower();
  if (trimmed.isEmpty() || !url.isValid() || url.host().isEmpty() ||
      (scheme != "sftp" && scheme != "ftp" && scheme != "ftps")) {
    result.error = QStringLiteral(
                       "Adresse de publication invalide : « %1 ». Forme attendue : "
                       "sftp://utilisateur@serveur/dossier/, ftp://... ou ftps://...")
                       .arg(trimmed);
    return result;
  }
  if (!url.password().isEmpty()) {
    result.error = QStringLiteral(
        "L'adresse de publication ne doit pas contenir de mot de passe : il est demandé "
        "au moment de publier.");
    return result;
  }
  Address& a = result.address;
  a.protocol = scheme == "sftp" ? Protocol::Sftp : scheme == "ftp" ? Protocol::Ftp : Protocol::Ftps;
  a.user = url.userName();
  a.host = url.host();
  a.port = url.port(0);
  if (a.port < 0 || a.port > 65535) {
    result.error = QStringLiteral("Port invalide dans l'adresse de publication.");
    return result;
  }
  a.folder = url.path(QUrl::FullyDecoded);
  if (!a.folder.startsWith('/'))
    a.folder.prepend('/');
  if (!a.folder.endsWith('/'))
    a.folder += '/';
  if (a.folder.contains(QStringLiteral("/../")) || a.folder.contains(QChar(0)) ||
      a.folder.contains('\n') || a.folder.contains('\r')) {
    result.error = QStringLiteral("Dossier invalide dans l'adresse de publication.");
    return result;
  }
  result.ok = true;
  return result;
}

}  // namespace pixolane::publish
