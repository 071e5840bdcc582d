// The transports against real servers started here on 127.0.0.1: OpenSSH's
// sshd for SFTP, pyftpdlib for FTP, vsftpd for FTPS. What is checked is the
// transport (files there with their bytes, re-sending counted, the host key,
// the certificate, refusals); the publication's rules are the fake server's
// business. Skipped when the machine cannot start a server.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <pwd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <memory>

#include "PublishSupport.h"
#include "publish/Publisher.h"

namespace pixolane::publish {
namespace {

using publishtest::TestGallery;

int freePort() {
  const int s = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in a = {};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof a;
  int port = 0;
  if (bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0 &&
      getsockname(s, reinterpret_cast<sockaddr*>(&a), &length) == 0)
    port = ntohs(a.sin_port);
  close(s);
  return port;
}

bool accepting(int port) {
  for (int i = 0; i < 100; ++i) {
    const int s = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a = {};
    a.sin_family = AF_INET;
    a.sin_port = htons(quint16(port));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const bool up = ::connect(s, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
    close(s);
    if (up)
      return true;
    QThread::msleep(50);
  }
  return false;
}

bool run(const QString& program, const QStringList& args) {
  QProcess p;
  p.start(program, args);
  return p.waitForFinished(30000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

void write(const QString& path, const QByteArray& bytes) {
  QFile f(path);
  f.open(QIODevice::WriteOnly | QIODevice::Truncate);
  f.write(bytes);
}

QByteArray read(const QString& path) {
  QFile f(path);
  f.open(QIODevice::ReadOnly);
  return f.readAll();
}

struct Server {
  QTemporaryDir dir;
  QProcess process;
  int port = 0;
  int readOnlyPort = 0;
  QString why;  // why it could not start
  ~Server() {
    process.kill();
    process.waitForFinished(5000);
  }
};

struct Quiet : PublishView {
  void progress(const PublishProgress&) override {}
  bool cancelled() override { return false; }
};

PublishReport publishOnce(const TestGallery& gallery, const QString& address,
                          const Prompts& prompts) {
  const AddressParse parsed = parseAddress(address);
  EXPECT_TRUE(parsed.ok) << parsed.error.toStdString();
  const std::unique_ptr<Transport> transport = makeTransport(parsed.address, prompts);
  Quiet view;
  return publishGallery(gallery.destination, gallery.page, parsed.address, *transport, view);
}

// Every file of the gallery on the server with its bytes, and nothing else.
void expectMirror(const TestGallery& gallery, const QString& folder) {
  for (const auto& [path, bytes] : gallery.files())
    EXPECT_EQ(read(folder + path), bytes) << path.toStdString();
  QStringList all;
  for (const QString& sub : {QString(), QStringLiteral("picnoel/"), QStringLiteral("mininoel/")})
    for (const QString& name : QDir(folder + sub).entryList(QDir::Files | QDir::Hidden))
      all << sub + name;
  EXPECT_EQ(all.size(), qsizetype(gallery.files().size())) << all.join(' ').toStdString();
}

// First publication, nothing changed, one picture changed: counted transfers.
void publishThreeTimes(const QString& address, const QString& folder, const Prompts& prompts) {
  QTemporaryDir local;
  TestGallery gallery{local.path() + '/'};
  gallery.write({{"a.jpg", QByteArray(300'000, 'a')}, {"b.jpg", "bb"}, {"c d.jpg", "ccc"}});
  const PublishReport first = publishOnce(gallery, address, prompts);
  ASSERT_TRUE(first.ok) << first.error.toStdString();
  EXPECT_EQ(first.sent, 7);
  expectMirror(gallery, folder);
  EXPECT_EQ(publishOnce(gallery, address, prompts).sent, 0);
  gallery.put("picnoel/b.jpg", "BB");
  const PublishReport third = publishOnce(gallery, address, prompts);
  EXPECT_EQ(third.sent, 1);
  EXPECT_EQ(third.unchanged, 6);
  expectMirror(gallery, folder);
}

class Sftp : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    server_ = new Server;
    const QString d = server_->dir.path() + '/';
    if (!QFileInfo("/usr/sbin/sshd").isExecutable()) {
      server_->why = "pas de /usr/sbin/sshd (paquet openssh-server)";
      return;
    }
    for (const char* type : {"ed25519", "rsa"}) {
      QDir().mkpath(d + "client-" + type);
      if (!run("ssh-keygen",
               {"-q", "-t", type, "-N", "", "-f", d + "client-" + type + "/id_" + type})) {
        server_->why = "ssh-keygen a échoué";
        return;
      }
      write(d + "authorized_keys",
            read(d + "authorized_keys") + read(d + "client-" + type + "/id_" + type + ".pub"));
    }
    run("ssh-keygen", {"-q", "-t", "ed25519", "-N", "", "-f", d + "host_key"});
    if (geteuid() == 0)
      QDir().mkpath("/run/sshd");  // sshd's privilege separation, as its service makes it
    server_->port = freePort();
    server_->readOnlyPort = freePort();
    write(d + "sshd_config",
          QStringLiteral("Port %1\nPort %2\nListenAddress 127.0.0.1\n"
                         "HostKey %3host_key\nAuthorizedKeysFile %3authorized_keys\n"
                         "StrictModes no\nPidFile %3sshd.pid\nUsePAM no\n"
                         "PasswordAuthentication no\nKbdInteractiveAuthentication no\n"
                         "PermitRootLogin yes\nSubsystem sftp internal-sftp\n"
                         "Match LocalPort %2\n  ForceCommand internal-sftp -R\n")
              .arg(server_->port)
              .arg(server_->readOnlyPort)
              .arg(d)
              .toUtf8());
    server_->process.setProcessChannelMode(QProcess::MergedChannels);
    server_->process.start("/usr/sbin/sshd", {"-D", "-e", "-f", d + "sshd_config"});
    if (!server_->process.waitForStarted() || !accepting(server_->port))
      server_->why = "sshd ne démarre pas : " + QString::fromUtf8(server_->process.readAll());
  }
  static void TearDownTestSuite() {
    delete server_;
    server_ = nullptr;
  }
  void SetUp() override {
    if (!server_->why.isEmpty())
      GTEST_SKIP() << "Serveur SFTP indisponible : " << server_->why.toStdString();
    qunsetenv("SSH_AUTH_SOCK");  // the keys of the test only
  }
  static QString user() { return QString::fromLocal8Bit(getpwuid(geteuid())->pw_name); }
  static QString address(const QString& folder, int port = 0) {
    return QStringLiteral("sftp://%1@127.0.0.1:%2%3/")
        .arg(user())
        .arg(port ? port : server_->port)
        .arg(folder);
  }
  static Prompts keys(const char* type, bool acceptHostKey = true) {
    Prompts p;
    p.sshFolder = server_->dir.path() + "/client-" + type;
    p.acceptHostKey = [acceptHostKey](const QString&, const QString&) { return acceptHostKey; };
    p.timeoutSeconds = 10;
    return p;
  }
  static Server* server_;
};
Server* Sftp::server_ = nullptr;

TEST_F(Sftp, PublishesWithEd25519AndRsaKeysSendingOnlyWhatChanged) {
  QTemporaryDir site;
  publishThreeTimes(address(site.path() + "/ed"), site.path() + "/ed/", keys("ed25519"));
  publishThreeTimes(address(site.path() + "/rsa"), site.path() + "/rsa/", keys("rsa"));
}

TEST_F(Sftp, AnUnknownHostKeyIsRefusedUnlessAcceptedAndAReadOnlyFolderSaysSo) {
  QTemporaryDir site, local;
  TestGallery gallery{local.path() + '/'};
  gallery.write({{"a.jpg", "a"}});
  QFile::remove(server_->dir.path() + "/client-rsa/known_hosts");
  const PublishReport refused = publishOnce(gallery, address(site.path()), keys("rsa", false));
  EXPECT_NE(refused.error.indexOf("inconnue (SHA256:"), -1) << refused.error.toStdString();
  EXPECT_TRUE(QDir(site.path()).isEmpty());

  ASSERT_TRUE(publishOnce(gallery, address(site.path()), keys("rsa")).ok);
  EXPECT_TRUE(publishOnce(gallery, address(site.path()), keys("rsa", false)).ok);  // now known

  QTemporaryDir readOnly;
  const PublishReport denied =
      publishOnce(gallery, address(readOnly.path(), server_->readOnlyPort), keys("rsa"));
  EXPECT_NE(denied.error.indexOf("permission refusée"), -1) << denied.error.toStdString();
  EXPECT_TRUE(QDir(readOnly.path()).isEmpty());
}

// Plain FTP with accounts: pyftpdlib (its TLS data connections do not work
// with libcurl, so FTPS goes to vsftpd below).
class Ftp : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    server_ = new Server;
    const QString d = server_->dir.path() + '/';
    QDir().mkpath(d + "site");
    QDir().mkpath(d + "lecture");
    server_->port = freePort();
    write(d + "server.py",
          QStringLiteral("from pyftpdlib.authorizers import DummyAuthorizer\n"
                         "from pyftpdlib.handlers import FTPHandler\n"
                         "from pyftpdlib.servers import FTPServer\n"
                         "a = DummyAuthorizer()\n"
                         "a.add_user('marie', 'secret', '%1site', perm='elradfmwMT')\n"
                         "a.add_user('lecteur', 'secret', '%1lecture', perm='elr')\n"
                         "FTPHandler.authorizer = a\n"
                         "FTPServer(('127.0.0.1', %2), FTPHandler).serve_forever()\n")
              .arg(d)
              .arg(server_->port)
              .toUtf8());
    server_->process.setProcessChannelMode(QProcess::MergedChannels);
    server_->process.start("/usr/bin/python3", {d + "server.py"});
    if (!server_->process.waitForStarted() || !accepting(server_->port))
      server_->why = "pyftpdlib ne démarre pas : " + QString::fromUtf8(server_->process.readAll());
  }
  static void TearDownTestSuite() {
    delete server_;
    server_ = nullptr;
  }
  void SetUp() override {
    if (!server_->why.isEmpty())
      GTEST_SKIP() << "Serveur FTP indisponible : " << server_->why.toStdString();
  }
  static QString address(const char* user, const QString& folder) {
    return QStringLiteral("ftp://%1@127.0.0.1:%2/%3/").arg(user).arg(server_->port).arg(folder);
  }
  static Prompts password(const char* word) {
    Prompts p;
    p.password = [word](const QString&) { return std::optional<QString>(word); };
    p.timeoutSeconds = 10;
    return p;
  }
  static Server* server_;
};
Server* Ftp::server_ = nullptr;

TEST_F(Ftp, PublishesSendingOnlyWhatChanged) {
  publishThreeTimes(address("marie", "galerie"), server_->dir.path() + "/site/galerie/",
                    password("secret"));
}

TEST_F(Ftp, RefusesAWrongPasswordAndAReadOnlyFolder) {
  QTemporaryDir local;
  TestGallery gallery{local.path() + '/'};
  gallery.write({{"a.jpg", "a"}});
  const PublishReport wrong = publishOnce(gallery, address("marie", "x"), password("faux"));
  EXPECT_NE(wrong.error.indexOf("Identification refusée"), -1) << wrong.error.toStdString();
  EXPECT_FALSE(QFileInfo::exists(server_->dir.path() + "/site/x"));
  const PublishReport denied = publishOnce(gallery, address("lecteur", ""), password("secret"));
  EXPECT_NE(denied.error.indexOf("permission refusée"), -1) << denied.error.toStdString();
  EXPECT_TRUE(QDir(server_->dir.path() + "/lecture").isEmpty());
}

// FTPS (explicit TLS) with a self-signed certificate: vsftpd, which runs as
// root only, with anonymous writing into one folder.
class Ftps : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    server_ = new Server;
    const QString d = server_->dir.path() + '/';
    if (geteuid() != 0 || !QFileInfo("/usr/sbin/vsftpd").isExecutable() || !getpwnam("ftp")) {
      server_->why = "vsftpd demande root, le paquet vsftpd et son utilisateur ftp";
      return;
    }
    QDir().mkpath(d + "anon/pub");
    QDir().mkpath(d + "empty");
    const passwd* ftp = getpwnam("ftp");
    if (chown(QFile::encodeName(d + "anon/pub").constData(), ftp->pw_uid, ftp->pw_gid) != 0 ||
        !run("openssl", {"req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2", "-subj",
                         "/CN=127.0.0.1", "-keyout", d + "cert.pem", "-out", d + "cert.pem"})) {
      server_->why = "dossier ou certificat impossible à préparer";
      return;
    }
    server_->port = freePort();
    write(d + "vsftpd.conf",
          QStringLiteral("listen=YES\nlisten_ipv6=NO\nlisten_address=127.0.0.1\nlisten_port=%1\n"
                         "background=NO\nseccomp_sandbox=NO\nlocal_enable=NO\n"
                         "anonymous_enable=YES\nno_anon_password=YES\nwrite_enable=YES\n"
                         "anon_upload_enable=YES\nanon_mkdir_write_enable=YES\n"
                         "anon_other_write_enable=YES\nanon_world_readable_only=NO\n"
                         "anon_umask=022\nanon_root=%2anon\nsecure_chroot_dir=%2empty\n"
                         "ssl_enable=YES\nallow_anon_ssl=YES\nforce_anon_logins_ssl=YES\n"
                         "force_anon_data_ssl=YES\nrsa_cert_file=%2cert.pem\n"
                         "rsa_private_key_file=%2cert.pem\nvsftpd_log_file=%2vsftpd.log\n")
              .arg(server_->port)
              .arg(d)
              .toUtf8());
    server_->process.setProcessChannelMode(QProcess::MergedChannels);
    server_->process.start("/usr/sbin/vsftpd", {d + "vsftpd.conf"});
    if (!server_->process.waitForStarted() || !accepting(server_->port))
      server_->why = "vsftpd ne démarre pas : " + QString::fromUtf8(server_->process.readAll());
  }
  static void TearDownTestSuite() {
    delete server_;
    server_ = nullptr;
  }
  void SetUp() override {
    if (!server_->why.isEmpty())
      GTEST_SKIP() << "Serveur FTPS indisponible : " << server_->why.toStdString();
  }
  static QString address(const QString& folder) {
    return QStringLiteral("ftps://127.0.0.1:%1/pub/%2/").arg(server_->port).arg(folder);
  }
  static Prompts certificate(bool accepted) {
    Prompts p;
    p.acceptCertificate = [accepted](const QString&) { return accepted; };
    p.timeoutSeconds = 10;
    return p;
  }
  static Server* server_;
};
Server* Ftps::server_ = nullptr;

TEST_F(Ftps, RefusesAnUnverifiedCertificateUnlessAcceptedThenSendsOnlyWhatChanged) {
  QTemporaryDir local;
  TestGallery gallery{local.path() + '/'};
  gallery.write({{"a.jpg", "a"}});
  const PublishReport untrusted = publishOnce(gallery, address("x"), certificate(false));
  EXPECT_NE(untrusted.error.indexOf("certificat"), -1) << untrusted.error.toStdString();
  EXPECT_FALSE(QFileInfo::exists(server_->dir.path() + "/anon/pub/x"));
  publishThreeTimes(address("galerie"), server_->dir.path() + "/anon/pub/galerie/",
                    certificate(true));
}

}  // namespace
}  // namespace pixolane::publish
