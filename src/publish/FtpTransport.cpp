// FTP and FTPS (explicit TLS) through libcurl: one connection, reused for
// every command of a publication.
#include "publish/Transports.h"

#include <QUrl>

#include <curl/curl.h>

#include <mutex>

namespace pixolane::publish {

namespace {

struct Upload {
  const QByteArray* bytes;
  qsizetype offset = 0;
};

size_t readUpload(char* buffer, size_t size, size_t count, void* data) {
  auto* upload = static_cast<Upload*>(data);
  const size_t n = std::min(size * count, size_t(upload->bytes->size() - upload->offset));
  memcpy(buffer, upload->bytes->constData() + upload->offset, n);
  upload->offset += qsizetype(n);
  return n;
}

size_t discard(char*, size_t size, size_t count, void*) {
  return size * count;
}

size_t keep(char* data, size_t size, size_t count, void* into) {
  static_cast<QByteArray*>(into)->append(data, qsizetype(size * count));
  return size * count;
}

int sendProgress(void* data, curl_off_t, curl_off_t, curl_off_t, curl_off_t sent) {
  const auto* progress = static_cast<const SendProgress*>(data);
  return (*progress && !(*progress)(qint64(sent))) ? 1 : 0;
}

class FtpTransport : public Transport {
 public:
  FtpTransport(const Address& address, const Prompts& prompts)
      : address_(address), prompts_(prompts), curl_(curl_easy_init()) {}
  ~FtpTransport() override {
    if (curl_)
      curl_easy_cleanup(curl_);
    curl_slist_free_all(commands_);
  }

  bool open(QString* error) override;
  bool makeFolder(const QString& folder, QString* error) override;
  bool send(const QByteArray& bytes, const QString& remote, const SendProgress& progress,
            QString* error) override;
  bool rename(const QString& from, const QString& to, QString* error) override;
  bool remove(const QString& remote, QString* error) override;
  bool list(const QString& folder, QStringList* names, QString* error) override;

 private:
  QByteArray url(const QString& relative) const;
  void reset();
  // Runs the prepared request on `relative`; the French reason on failure.
  CURLcode perform(const QString& relative, QString* error, const QString& what);
  // Commands sent in the folder of `relative` once it is reached.
  bool commandsIn(const QString& relative, const QStringList& commands, QString* error,
                  const QString& what);

  Address address_;
  Prompts prompts_;
  CURL* curl_;
  curl_slist* commands_ = nullptr;
  QByteArray user_, password_;
  bool acceptedCertificate_ = false;
  char errorText_[CURL_ERROR_SIZE] = {};
};

QByteArray FtpTransport::url(const QString& relative) const {
  QUrl u;
  u.setScheme(QStringLiteral("ftp"));
  u.setHost(address_.host);
  u.setPort(address_.effectivePort());
  u.setPath(address_.folder + relative, QUrl::DecodedMode);
  return u.toString(QUrl::FullyEncoded).toUtf8();
}

void FtpTransport::reset() {
  curl_easy_reset(curl_);
  curl_slist_free_all(commands_);
  commands_ = nullptr;
  errorText_[0] = 0;
  curl_easy_setopt(curl_, CURLOPT_ERRORBUFFER, errorText_);
  curl_easy_setopt(curl_, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(curl_, CURLOPT_USERNAME, user_.constData());
  curl_easy_setopt(curl_, CURLOPT_PASSWORD, password_.constData());
  curl_easy_setopt(curl_, CURLOPT_CONNECTTIMEOUT, long(prompts_.timeoutSeconds));
  curl_easy_setopt(curl_, CURLOPT_SERVER_RESPONSE_TIMEOUT, long(prompts_.timeoutSeconds));
  // A transfer that stalls for the timeout is given up.
  curl_easy_setopt(curl_, CURLOPT_LOW_SPEED_LIMIT, 1L);
  curl_easy_setopt(curl_, CURLOPT_LOW_SPEED_TIME, long(prompts_.timeoutSeconds));
  curl_easy_setopt(curl_, CURLOPT_WRITEFUNCTION, discard);
  if (address_.protocol == Protocol::Ftps) {
    curl_easy_setopt(curl_, CURLOPT_USE_SSL, long(CURLUSESSL_ALL));
    // Servers that require the data connection to resume the control
    // connection's TLS session (vsftpd's default) refuse, now and then, the
    // sessions of TLS 1.3, whose tickets come after the handshake.
    curl_easy_setopt(curl_, CURLOPT_SSLVERSION,
                     long(CURL_SSLVERSION_TLSv1_2 | CURL_SSLVERSION_MAX_TLSv1_2));
    if (acceptedCertificate_) {
      curl_easy_setopt(curl_, CURLOPT_SSL_VERIFYPEER, 0L);
      curl_easy_setopt(curl_, CURLOPT_SSL_VERIFYHOST, 0L);
    }
  }
}

CURLcode FtpTransport::perform(const QString& relative, QString* error, const QString& what) {
  const QByteArray address = url(relative);
  curl_easy_setopt(curl_, CURLOPT_URL, address.constData());
  const CURLcode code = curl_easy_perform(curl_);
  if (code == CURLE_OK)
    return code;
  const QString detail = QString::fromUtf8(errorText_).trimmed();
  const QString host = address_.host;
  switch (code) {
    case CURLE_COULDNT_RESOLVE_HOST:
      *error = unknownHostMessage(host);
      break;
    case CURLE_COULDNT_CONNECT:
      *error = refusedMessage(host, address_.effectivePort());
      break;
    case CURLE_OPERATION_TIMEDOUT:
      *error = timeoutMessage(host);
      break;
    case CURLE_LOGIN_DENIED:
      *error = loginRefusedMessage(QString::fromUtf8(user_)) +
               QStringLiteral(" Vérifiez le mot de passe.");
      break;
    case CURLE_USE_SSL_FAILED:
      *error = QStringLiteral("Le serveur %1 n'accepte pas FTPS (TLS explicite).").arg(host);
      break;
    case CURLE_PEER_FAILED_VERIFICATION:
      *error =
          QStringLiteral("Le certificat du serveur %1 n'est pas valable : %2").arg(host, detail);
      break;
    case CURLE_REMOTE_ACCESS_DENIED:
      *error = QStringLiteral("%1 « %2 » sur le serveur : permission refusée.").arg(what, relative);
      break;
    case CURLE_UPLOAD_FAILED:
    case CURLE_SEND_ERROR:
      *error = QStringLiteral(
                   "Échec de l'envoi de « %1 » : le serveur a refusé l'écriture "
                   "(disque plein, quota atteint ou permission refusée ?) : %2")
                   .arg(relative, detail);
      break;
    case CURLE_ABORTED_BY_CALLBACK:
      *error = QStringLiteral("Envoi interrompu.");
      break;
    default:
      *error = QStringLiteral("%1 « %2 » sur le serveur : %3")
                   .arg(what, relative,
                        detail.isEmpty() ? QString::fromUtf8(curl_easy_strerror(code)) : detail);
  }
  return code;
}

bool FtpTransport::open(QString* error) {
  if (!curl_) {
    *error = QStringLiteral("Impossible de préparer la connexion FTP.");
    return false;
  }
  user_ = address_.user.isEmpty() ? QByteArray("anonymous") : address_.user.toUtf8();
  if (!address_.user.isEmpty() && prompts_.password) {
    const std::optional<QString> password = prompts_.password(address_.text());
    if (!password) {
      *error = QStringLiteral("Publication annulée : aucun mot de passe donné.");
      return false;
    }
    password_ = password->toUtf8();
  }
  for (;;) {
    reset();
    curl_easy_setopt(curl_, CURLOPT_NOBODY, 1L);
    curl_easy_setopt(curl_, CURLOPT_FTP_CREATE_MISSING_DIRS, long(CURLFTP_CREATE_DIR));
    const CURLcode code =
        perform(QString(), error, QStringLiteral("Impossible d'ouvrir le dossier"));
    if (code == CURLE_OK)
      return true;
    if (code != CURLE_PEER_FAILED_VERIFICATION || acceptedCertificate_ ||
        !prompts_.acceptCertificate || !prompts_.acceptCertificate(*error))
      return false;
    acceptedCertificate_ = true;
  }
}

bool FtpTransport::makeFolder(const QString& folder, QString* error) {
  reset();
  curl_easy_setopt(curl_, CURLOPT_NOBODY, 1L);
  curl_easy_setopt(curl_, CURLOPT_FTP_CREATE_MISSING_DIRS, long(CURLFTP_CREATE_DIR));
  return perform(folder + '/', error, QStringLiteral("Impossible de créer le dossier")) == CURLE_OK;
}

bool FtpTransport::send(const QByteArray& bytes, const QString& remote,
                        const SendProgress& progress, QString* error) {
  reset();
  Upload upload{&bytes};
  curl_easy_setopt(curl_, CURLOPT_UPLOAD, 1L);
  curl_easy_setopt(curl_, CURLOPT_READFUNCTION, readUpload);
  curl_easy_setopt(curl_, CURLOPT_READDATA, &upload);
  curl_easy_setopt(curl_, CURLOPT_INFILESIZE_LARGE, curl_off_t(bytes.size()));
  curl_easy_setopt(curl_, CURLOPT_NOPROGRESS, 0L);
  curl_easy_setopt(curl_, CURLOPT_XFERINFOFUNCTION, sendProgress);
  curl_easy_setopt(curl_, CURLOPT_XFERINFODATA, &progress);
  return perform(remote, error, QStringLiteral("Impossible d'écrire")) == CURLE_OK;
}

bool FtpTransport::commandsIn(const QString& relative, const QStringList& commands, QString* error,
                              const QString& what) {
  const qsizetype slash = relative.lastIndexOf('/');
  const QString folder = slash < 0 ? QString() : relative.left(slash + 1);
  reset();
  for (const QString& command : commands) {
    if (command.contains('\r') || command.contains('\n')) {
      *error = QStringLiteral("Nom de fichier impossible à publier en FTP : « %1 ».").arg(relative);
      return false;
    }
    commands_ = curl_slist_append(commands_, command.toUtf8().constData());
  }
  curl_easy_setopt(curl_, CURLOPT_NOBODY, 1L);
  curl_easy_setopt(curl_, CURLOPT_POSTQUOTE, commands_);
  return perform(folder, error, what) == CURLE_OK;
}

bool FtpTransport::rename(const QString& from, const QString& to, QString* error) {
  const QString fromName = from.section('/', -1), toName = to.section('/', -1);
  if (commandsIn(to, {QStringLiteral("RNFR ") + fromName, QStringLiteral("RNTO ") + toName}, error,
                 QStringLiteral("Impossible de renommer")))
    return true;
  *error += QStringLiteral(" (le serveur ne sait pas renommer ce fichier)");
  return false;
}

bool FtpTransport::remove(const QString& remote, QString* error) {
  if (commandsIn(remote, {QStringLiteral("DELE ") + remote.section('/', -1)}, error,
                 QStringLiteral("Impossible de retirer")))
    return true;
  // A file already gone is removed; any other refusal stands.
  QString ignored;
  reset();
  curl_easy_setopt(curl_, CURLOPT_NOBODY, 1L);
  return perform(remote, &ignored, QString()) == CURLE_REMOTE_FILE_NOT_FOUND;
}

bool FtpTransport::list(const QString& folder, QStringList* names, QString* error) {
  names->clear();
  QByteArray listing;
  reset();
  curl_easy_setopt(curl_, CURLOPT_DIRLISTONLY, 1L);  // NLST: names only, one a line
  curl_easy_setopt(curl_, CURLOPT_WRITEFUNCTION, keep);
  curl_easy_setopt(curl_, CURLOPT_WRITEDATA, &listing);
  const CURLcode code = perform(folder.isEmpty() ? QString() : folder + '/', error,
                                QStringLiteral("Impossible de lire le dossier"));
  if (code == CURLE_REMOTE_ACCESS_DENIED || code == CURLE_REMOTE_FILE_NOT_FOUND ||
      code == CURLE_FTP_COULDNT_RETR_FILE)
    return true;  // no such folder yet
  if (code != CURLE_OK)
    return false;
  for (const QByteArray& line : listing.split('\n')) {
    const QString name = QString::fromUtf8(line.trimmed()).section('/', -1);
    if (!name.isEmpty())
      *names << name;
  }
  return true;
}

}  // namespace

std::unique_ptr<Transport> makeFtpTransport(const Address& address, const Prompts& prompts) {
  static std::once_flag started;
  std::call_once(started, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
  return std::make_unique<FtpTransport>(address, prompts);
}

}  // namespace pixolane::publish
