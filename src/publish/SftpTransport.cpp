// SFTP through libssh: the user's agent and keys (Ed25519, ECDSA and RSA,
// signed with SHA-2 as current OpenSSH servers require), known_hosts checked.
#include "publish/Transports.h"

#include <QDir>
#include <QtEndian>

#include <libssh/libssh.h>
#include <libssh/sftp.h>

#include <fcntl.h>

namespace pixolane::publish {

namespace {

class SftpTransport : public Transport {
 public:
  SftpTransport(const Address& address, const Prompts& prompts)
      : address_(address), prompts_(prompts) {
    // An SFTP path is absolute; "/~/" starts in the user's home, which is
    // where a relative SFTP path starts.
    base_ = address.folder;
    if (base_.startsWith(QStringLiteral("/~/")))
      base_ = base_.mid(3);
  }
  ~SftpTransport() override {
    if (sftp_)
      sftp_free(sftp_);
    if (session_) {
      ssh_disconnect(session_);
      ssh_free(session_);
    }
  }

  bool open(QString* error) override;
  bool makeFolder(const QString& folder, QString* error) override;
  bool send(const QByteArray& bytes, const QString& remote, const SendProgress& progress,
            QString* error) override;
  bool rename(const QString& from, const QString& to, QString* error) override;
  bool remove(const QString& remote, QString* error) override;
  bool list(const QString& folder, QStringList* names, QString* error) override;

 private:
  QByteArray remotePath(const QString& relative) const { return (base_ + relative).toUtf8(); }
  bool connectAndCheckHost(QString* error);
  bool authenticate(QString* error);
  bool makePath(const QString& path, QString* error);
  QString sftpError(const QString& what, const QString& path) const;
  bool posixRename(const QByteArray& from, const QByteArray& to, QString* error);

  Address address_;
  Prompts prompts_;
  QString base_;
  ssh_session session_ = nullptr;
  sftp_session sftp_ = nullptr;
};

bool SftpTransport::connectAndCheckHost(QString* error) {
  session_ = ssh_new();
  if (!session_) {
    *error = QStringLiteral("Impossible de préparer la connexion SSH.");
    return false;
  }
  const QString sshFolder = prompts_.sshFolder.isEmpty()
                                ? QDir::homePath() + QStringLiteral("/.ssh")
                                : prompts_.sshFolder;
  const QByteArray host = address_.host.toUtf8(), dir = sshFolder.toUtf8();
  const QByteArray knownHosts = (sshFolder + QStringLiteral("/known_hosts")).toUtf8();
  const unsigned port = unsigned(address_.effectivePort());
  const long timeout = prompts_.timeoutSeconds;
  ssh_options_set(session_, SSH_OPTIONS_HOST, host.constData());
  ssh_options_set(session_, SSH_OPTIONS_PORT, &port);
  ssh_options_set(session_, SSH_OPTIONS_SSH_DIR, dir.constData());
  ssh_options_set(session_, SSH_OPTIONS_KNOWNHOSTS, knownHosts.constData());
  ssh_options_set(session_, SSH_OPTIONS_TIMEOUT, &timeout);
  if (!address_.user.isEmpty()) {
    const QByteArray user = address_.user.toUtf8();
    ssh_options_set(session_, SSH_OPTIONS_USER, user.constData());
  }
  if (ssh_connect(session_) != SSH_OK) {
    const QString why = QString::fromUtf8(ssh_get_error(session_));
    if (why.contains(QStringLiteral("resolve"), Qt::CaseInsensitive))
      *error = unknownHostMessage(address_.host);
    else if (why.contains(QStringLiteral("refused"), Qt::CaseInsensitive))
      *error = refusedMessage(address_.host, int(port));
    else if (why.contains(QStringLiteral("timeout"), Qt::CaseInsensitive) ||
             why.contains(QStringLiteral("timed out"), Qt::CaseInsensitive))
      *error = timeoutMessage(address_.host);
    else
      *error = QStringLiteral("Connexion impossible à %1 : %2").arg(address_.host, why);
    return false;
  }

  ssh_key key = nullptr;
  unsigned char* hash = nullptr;
  size_t hashLength = 0;
  QString fingerprint;
  if (ssh_get_server_publickey(session_, &key) == SSH_OK &&
      ssh_get_publickey_hash(key, SSH_PUBLICKEY_HASH_SHA256, &hash, &hashLength) == 0) {
    char* text = ssh_get_fingerprint_hash(SSH_PUBLICKEY_HASH_SHA256, hash, hashLength);
    fingerprint = QString::fromLatin1(text);
    ssh_string_free_char(text);
    ssh_clean_pubkey_hash(&hash);
  }
  ssh_key_free(key);

  switch (ssh_session_is_known_server(session_)) {
    case SSH_KNOWN_HOSTS_OK:
      return true;
    case SSH_KNOWN_HOSTS_CHANGED:
    case SSH_KNOWN_HOSTS_OTHER:
      *error = QStringLiteral(
                   "La clé du serveur %1 ne correspond pas à celle enregistrée dans known_hosts "
                   "(%2). Connexion refusée : vérifiez auprès de l'hébergeur, puis retirez "
                   "l'ancienne clé (ssh-keygen -R).")
                   .arg(address_.host, fingerprint);
      return false;
    case SSH_KNOWN_HOSTS_UNKNOWN:
    case SSH_KNOWN_HOSTS_NOT_FOUND:
      if (!prompts_.acceptHostKey || !prompts_.acceptHostKey(address_.host, fingerprint)) {
        *error = hostKeyRefusedMessage(address_.host, fingerprint);
        return false;
      }
      QDir().mkpath(sshFolder);
      if (ssh_session_update_known_hosts(session_) != SSH_OK) {
        *error = QStringLiteral("Impossible d'enregistrer la clé du serveur dans « %1 ».")
                     .arg(QString::fromUtf8(knownHosts));
        return false;
      }
      return true;
    case SSH_KNOWN_HOSTS_ERROR:
      break;
  }
  *error = QStringLiteral("Impossible de vérifier la clé du serveur %1 : %2")
               .arg(address_.host, QString::fromUtf8(ssh_get_error(session_)));
  return false;
}

bool SftpTransport::authenticate(QString* error) {
  int rc = ssh_userauth_none(session_, nullptr);
  if (rc != SSH_AUTH_SUCCESS)
    rc = ssh_userauth_publickey_auto(session_, nullptr, nullptr);
  const int methods = ssh_userauth_list(session_, nullptr);
  if (rc != SSH_AUTH_SUCCESS && (methods & SSH_AUTH_METHOD_PASSWORD) && prompts_.password) {
    if (const std::optional<QString> password = prompts_.password(address_.text()))
      rc = ssh_userauth_password(session_, nullptr, password->toUtf8().constData());
  }
  if (rc == SSH_AUTH_SUCCESS)
    return true;
  char* user = nullptr;
  ssh_options_get(session_, SSH_OPTIONS_USER, &user);
  *error = loginRefusedMessage(QString::fromUtf8(user)) +
           QStringLiteral(
               " Ni l'agent SSH ni les clés du dossier ~/.ssh (id_ed25519, "
               "id_ecdsa, id_rsa) n'ont été acceptés.");
  ssh_string_free_char(user);
  return false;
}

bool SftpTransport::open(QString* error) {
  if (!connectAndCheckHost(error) || !authenticate(error))
    return false;
  sftp_ = sftp_new(session_);
  if (!sftp_ || sftp_init(sftp_) != SSH_OK) {
    *error = QStringLiteral("Le serveur %1 n'offre pas SFTP : %2")
                 .arg(address_.host, QString::fromUtf8(ssh_get_error(session_)));
    return false;
  }
  return base_.isEmpty() || makePath(base_.chopped(1), error);
}

QString SftpTransport::sftpError(const QString& what, const QString& path) const {
  const int code = sftp_get_error(sftp_);
  QString reason;
  switch (code) {
    case SSH_FX_PERMISSION_DENIED:
    case SSH_FX_WRITE_PROTECT:
      reason = QStringLiteral("permission refusée");
      break;
    case SSH_FX_NO_SUCH_FILE:
    case SSH_FX_NO_SUCH_PATH:
      reason = QStringLiteral("fichier ou dossier introuvable");
      break;
    case SSH_FX_NO_CONNECTION:
    case SSH_FX_CONNECTION_LOST:
      reason = QStringLiteral("connexion perdue");
      break;
    default:
      reason = QString::fromUtf8(ssh_get_error(session_));
      if (reason.isEmpty())
        reason = QStringLiteral("refusé par le serveur");
  }
  return QStringLiteral("%1 « %2 » sur le serveur : %3.").arg(what, path, reason);
}

bool SftpTransport::makePath(const QString& path, QString* error) {
  QString done = path.startsWith('/') ? QStringLiteral("/") : QString();
  for (const QString& part : path.split('/', Qt::SkipEmptyParts)) {
    done += part;
    const QByteArray name = done.toUtf8();
    if (sftp_attributes attributes = sftp_stat(sftp_, name.constData())) {
      const bool folder = attributes->type == SSH_FILEXFER_TYPE_DIRECTORY;
      sftp_attributes_free(attributes);
      if (!folder) {
        *error = QStringLiteral("« %1 » existe sur le serveur et n'est pas un dossier.").arg(done);
        return false;
      }
    } else if (sftp_mkdir(sftp_, name.constData(), 0755) != SSH_OK) {
      *error = sftpError(QStringLiteral("Impossible de créer le dossier"), done);
      return false;
    }
    done += '/';
  }
  return true;
}

bool SftpTransport::makeFolder(const QString& folder, QString* error) {
  return makePath(base_ + folder, error);
}

bool SftpTransport::send(const QByteArray& bytes, const QString& remote,
                         const SendProgress& progress, QString* error) {
  const QByteArray path = remotePath(remote);
  sftp_file file = sftp_open(sftp_, path.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (!file) {
    *error = sftpError(QStringLiteral("Impossible d'écrire"), remote);
    return false;
  }
  constexpr qsizetype kChunk = 32 * 1024;
  for (qsizetype done = 0; done < bytes.size();) {
    const qsizetype n = std::min(kChunk, bytes.size() - done);
    if (sftp_write(file, bytes.constData() + done, size_t(n)) != n) {
      // OpenSSH answers a full disk or quota with a plain failure.
      *error = sftpError(QStringLiteral("Échec de l'envoi de"), remote);
      if (sftp_get_error(sftp_) == SSH_FX_FAILURE)
        error->replace(error->size() - 1, 1, QStringLiteral(" (disque plein ou quota atteint ?)."));
      sftp_close(file);
      return false;
    }
    done += n;
    if (progress && !progress(done)) {
      sftp_close(file);
      *error = QStringLiteral("Envoi interrompu.");
      return false;
    }
  }
  if (sftp_close(file) != SSH_NO_ERROR) {
    *error = sftpError(QStringLiteral("Échec de l'envoi de"), remote);
    return false;
  }
  return true;
}

// OpenSSH's plain SFTP rename refuses an existing target; its
// posix-rename@openssh.com extension replaces it in one step, so a visitor
// never finds the name missing. libssh 0.10 does not offer it: the request
// goes on the channel here, between two of libssh's own, each of which it
// has fully read.
bool SftpTransport::posixRename(const QByteArray& from, const QByteArray& to, QString* error) {
  auto putString = [](QByteArray& out, const QByteArray& s) {
    char length[4];
    qToBigEndian(quint32(s.size()), length);
    out.append(length, 4).append(s);
  };
  QByteArray body;
  body.append(char(200));  // SSH_FXP_EXTENDED
  char id[4];
  qToBigEndian(quint32(0x7fff0000u + (++sftp_->id_counter & 0xffff)), id);
  body.append(id, 4);
  putString(body, "posix-rename@openssh.com");
  putString(body, from);
  putString(body, to);
  QByteArray packet;
  putString(packet, body);
  if (ssh_channel_write(sftp_->channel, packet.constData(), uint32_t(packet.size())) !=
      int(packet.size())) {
    *error = QStringLiteral("Connexion perdue pendant le renommage de « %1 ».")
                 .arg(QString::fromUtf8(to));
    return false;
  }
  auto readExactly = [&](char* buffer, int n) {
    for (int got = 0; got < n;) {
      const int r = ssh_channel_read_timeout(sftp_->channel, buffer + got, uint32_t(n - got), 0,
                                             prompts_.timeoutSeconds * 1000);
      if (r <= 0)
        return false;
      got += r;
    }
    return true;
  };
  char header[4];
  if (!readExactly(header, 4)) {
    *error = QStringLiteral("Le serveur ne répond plus.");
    return false;
  }
  const quint32 length = qFromBigEndian<quint32>(header);
  QByteArray reply(qsizetype(std::min<quint32>(length, 1 << 16)), Qt::Uninitialized);
  if (length < 9 || length > (1 << 16) || !readExactly(reply.data(), int(length))) {
    *error = QStringLiteral("Réponse illisible du serveur.");
    return false;
  }
  const quint32 status = qFromBigEndian<quint32>(reply.constData() + 5);
  if (uchar(reply.at(0)) == 101 && status == SSH_FX_OK)
    return true;
  *error = QStringLiteral("Le serveur refuse de renommer « %1 » (%2).")
               .arg(QString::fromUtf8(to), status == SSH_FX_PERMISSION_DENIED
                                               ? QStringLiteral("permission refusée")
                                               : QStringLiteral("code %1").arg(status));
  return false;
}

bool SftpTransport::rename(const QString& from, const QString& to, QString* error) {
  const QByteArray source = remotePath(from), target = remotePath(to);
  if (sftp_extension_supported(sftp_, "posix-rename@openssh.com", "1"))
    return posixRename(source, target, error);
  // Other servers: the target goes first, so the name is briefly missing.
  sftp_unlink(sftp_, target.constData());
  if (sftp_rename(sftp_, source.constData(), target.constData()) == SSH_OK)
    return true;
  *error = sftpError(QStringLiteral("Impossible de renommer"), from);
  return false;
}

bool SftpTransport::remove(const QString& remote, QString* error) {
  const QByteArray path = remotePath(remote);
  if (sftp_unlink(sftp_, path.constData()) == SSH_OK)
    return true;
  const int code = sftp_get_error(sftp_);
  if (code == SSH_FX_NO_SUCH_FILE || code == SSH_FX_NO_SUCH_PATH)
    return true;
  *error = sftpError(QStringLiteral("Impossible de retirer"), remote);
  return false;
}

bool SftpTransport::list(const QString& folder, QStringList* names, QString* error) {
  names->clear();
  const QByteArray path = remotePath(folder.isEmpty() ? QStringLiteral(".") : folder);
  sftp_dir dir = sftp_opendir(sftp_, base_.isEmpty() && folder.isEmpty() ? "." : path.constData());
  if (!dir) {
    const int code = sftp_get_error(sftp_);
    if (code == SSH_FX_NO_SUCH_FILE || code == SSH_FX_NO_SUCH_PATH)
      return true;
    *error = sftpError(QStringLiteral("Impossible de lire le dossier"), folder);
    return false;
  }
  while (sftp_attributes entry = sftp_readdir(sftp_, dir)) {
    if (entry->type == SSH_FILEXFER_TYPE_REGULAR)
      *names << QString::fromUtf8(entry->name);
    sftp_attributes_free(entry);
  }
  sftp_closedir(dir);
  return true;
}

}  // namespace

std::unique_ptr<Transport> makeSftpTransport(const Address& address, const Prompts& prompts) {
  return std::make_unique<SftpTransport>(address, prompts);
}

}  // namespace pixolane::publish
