#include "publish/Transport.h"

#include "publish/Transports.h"

namespace pixolane::publish {

std::unique_ptr<Transport> makeTransport(const Address& address, const Prompts& prompts) {
  if (address.protocol == Protocol::Sftp)
    return makeSftpTransport(address, prompts);
  return makeFtpTransport(address, prompts);
}

QString unknownHostMessage(const QString& host) {
  return QStringLiteral("Serveur inconnu : « %1 » (vérifiez l'adresse).").arg(host);
}

QString refusedMessage(const QString& host, int port) {
  return QStringLiteral("Connexion refusée par %1 sur le port %2.").arg(host).arg(port);
}

QString timeoutMessage(const QString& host) {
  return QStringLiteral("Le serveur %1 ne répond pas (délai dépassé).").arg(host);
}

QString loginRefusedMessage(const QString& user) {
  return QStringLiteral("Identification refusée pour l'utilisateur « %1 ».").arg(user);
}

QString hostKeyRefusedMessage(const QString& host, const QString& fingerprint) {
  return QStringLiteral(
             "Clé du serveur %1 inconnue (%2) : connexion refusée. Vérifiez cette empreinte "
             "auprès de l'hébergeur, puis acceptez-la.")
      .arg(host, fingerprint);
}

}  // namespace pixolane::publish
