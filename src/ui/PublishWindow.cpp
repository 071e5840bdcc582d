#include "ui/PublishWindow.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QThread>
#include <QVBoxLayout>

#include <qt6keychain/keychain.h>

#include "ui/Controls.h"
#include "ui/Messages.h"

namespace pixolane::ui {

namespace {

const QString kKeyringService = QStringLiteral("Pixolane");

bool passwordWanted(const publish::Address& address) {
  return address.protocol != publish::Protocol::Sftp && !address.user.isEmpty();
}

}  // namespace

PublishWindow::PublishWindow(QString destination, QString pageName, publish::Address address,
                             Services services, QWidget* parent)
    : QDialog(parent),
      destination_(std::move(destination)),
      pageName_(std::move(pageName)),
      address_(std::move(address)),
      services_(std::move(services)) {
  setObjectName(QStringLiteral("PublishWindow"));
  setWindowTitle(kPublishTitle);
  setWindowModality(Qt::WindowModal);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel(QStringLiteral("Vers %1").arg(address_.text()), this));
  files_ =
      named(new QLabel(this), QStringLiteral("PublicationFichiers"), QStringLiteral("Fichiers"));
  current_ = named(new QLabel(this), QStringLiteral("PublicationFichier"),
                   QStringLiteral("Fichier en cours"));
  bar_ = new QProgressBar(this);
  bar_->setRange(0, 1000);
  bar_->setValue(0);
  cancel_ = named(new QPushButton(QStringLiteral("Annuler"), this), QStringLiteral("Annuler"),
                  QStringLiteral("Annuler"));
  layout->addWidget(files_);
  layout->addWidget(current_);
  layout->addWidget(bar_);
  layout->addWidget(cancel_, 0, Qt::AlignRight);
  files_->setText(QStringLiteral("Connexion à %1…").arg(address_.host));
  resize(520, 150);
  connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
}

PublishWindow::~PublishWindow() {
  if (thread_) {
    stopping_ = true;
    { const std::lock_guard lock(mutex_); }
    answered_.notify_all();
    thread_->wait();
  }
}

void PublishWindow::start() {
  if (!passwordWanted(address_) || services_.makeTransport) {
    work();
    return;
  }
  auto* job = new QKeychain::ReadPasswordJob(kKeyringService, this);
  job->setKey(address_.text());
  connect(job, &QKeychain::Job::finished, this, [this, job] {
    if (job->error() == QKeychain::NoError)
      keyringPassword_ = job->textData();
    work();
  });
  job->start();
}

void PublishWindow::work() {
  thread_ = QThread::create([this] {
    publish::Prompts prompts;
    prompts.acceptHostKey = [this](const QString& host, const QString& fingerprint) {
      return onUiThread<bool>(
          [&](std::function<void(bool)> answered) {
            askYesNo(services_, this,
                     QStringLiteral("Le serveur %1 est inconnu. Empreinte de sa clé :\n%2\n"
                                    "Vérifiez-la auprès de l'hébergeur. Faire confiance à "
                                    "ce serveur ?")
                         .arg(host, fingerprint),
                     kPublishTitle, std::move(answered));
          },
          false);
    };
    prompts.acceptCertificate = [this](const QString& reason) {
      return onUiThread<bool>(
          [&](std::function<void(bool)> answered) {
            askYesNo(services_, this, reason + QStringLiteral("\nPublier quand même ?"),
                     kPublishTitle, std::move(answered));
          },
          false);
    };
    prompts.password = [this](const QString& address) -> std::optional<QString> {
      if (keyringPassword_)
        return keyringPassword_;
      return onUiThread<std::optional<QString>>(
          [&](std::function<void(std::optional<QString>)> answered) {
            askPassword(address, std::move(answered));
          },
          std::nullopt);
    };
    const std::unique_ptr<publish::Transport> transport =
        services_.makeTransport ? services_.makeTransport(address_, prompts)
                                : publish::makeTransport(address_, prompts);

    struct View : publish::PublishView {
      PublishWindow* window;
      QElapsedTimer shown;
      void progress(const publish::PublishProgress& p) override {
        if (shown.isValid() && shown.elapsed() < 100 && p.filesDone < p.filesTotal)
          return;
        shown.start();
        QMetaObject::invokeMethod(
            window, [w = window, p] { w->showProgress(p); }, Qt::QueuedConnection);
      }
      bool cancelled() override { return window->stopping_; }
    } view;
    view.window = this;
    report_ = publish::publishGallery(destination_, pageName_, address_, *transport, view);
  });
  connect(thread_, &QThread::finished, this, &PublishWindow::finish);
  thread_->start();
}

void PublishWindow::finish() {
  const bool loginRefused = report_.error.contains(QStringLiteral("Identification refusée"));
  if (report_.ok && remember_ && typedPassword_) {
    auto* job = new QKeychain::WritePasswordJob(kKeyringService);
    job->setKey(address_.text());
    job->setTextData(*typedPassword_);
    job->start();  // deletes itself when done
  } else if (loginRefused && keyringPassword_) {
    // A kept password the server refuses is asked again next time.
    auto* job = new QKeychain::DeletePasswordJob(kKeyringService);
    job->setKey(address_.text());
    job->start();
  }
  thread_->wait();
  delete thread_;
  thread_ = nullptr;
  QDialog::done(report_.ok ? Accepted : Rejected);
}

void PublishWindow::done(int result) {
  if (!thread_) {
    QDialog::done(result);
    return;
  }
  if (stopping_ || askingToStop_)
    return;
  askingToStop_ = true;
  askYesNo(services_, this, QStringLiteral("Arrêter la publication ?"), kPublishTitle,
           [this](bool stop) {
             askingToStop_ = false;
             if (!stop || !thread_)
               return;  // going on, or already over
             stopping_ = true;
             { const std::lock_guard lock(mutex_); }
             answered_.notify_all();
             cancel_->setEnabled(false);
           });
}

void PublishWindow::showProgress(const publish::PublishProgress& p) {
  files_->setText(publish::progressLine(p));
  current_->setText(p.current);
  bar_->setValue(p.bytesTotal > 0 ? int(1000 * p.bytesDone / p.bytesTotal) : 1000);
}

void PublishWindow::askPassword(const QString& address,
                                std::function<void(std::optional<QString>)> answered) {
  if (services_.password) {
    answered(services_.password(address));
    return;
  }
  // Opened, not waited for: the answer comes through `finished`.
  auto* box = new QDialog(this);
  box->setAttribute(Qt::WA_DeleteOnClose);
  box->setWindowTitle(kPublishTitle);
  auto* layout = new QVBoxLayout(box);
  layout->addWidget(new QLabel(QStringLiteral("Mot de passe pour %1 :").arg(address), box));
  auto* field = new QLineEdit(box);
  field->setEchoMode(QLineEdit::Password);
  field->setAccessibleName(QStringLiteral("Mot de passe"));
  layout->addWidget(field);
  auto* keep = new QCheckBox(QStringLiteral("Mémoriser dans le trousseau du bureau"), box);
  layout->addWidget(keep);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, box);
  layout->addWidget(buttons);
  connect(buttons, &QDialogButtonBox::accepted, box, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, box, &QDialog::reject);
  connect(box, &QDialog::finished, this,
          [this, field, keep, answered = std::move(answered)](int result) {
            if (result != QDialog::Accepted) {
              answered(std::nullopt);
              return;
            }
            remember_ = keep->isChecked();
            typedPassword_ = field->text();
            answered(typedPassword_);
          });
  box->open();
}

template <class T>
T PublishWindow::onUiThread(std::function<void(std::function<void(T)>)> show, T whenStopped) {
  auto answer = std::make_shared<std::optional<T>>();
  if (stopping_)
    return whenStopped;
  QMetaObject::invokeMethod(
      this,
      [this, show = std::move(show), answer, whenStopped] {
        const auto answered = [this, answer](T value) {
          {
            const std::lock_guard lock(mutex_);
            *answer = std::move(value);
          }
          answered_.notify_all();
        };
        if (stopping_)
          answered(whenStopped);
        else
          show(answered);
      },
      Qt::QueuedConnection);
  std::unique_lock lock(mutex_);
  answered_.wait(lock, [&] { return answer->has_value() || stopping_; });
  return stopping_ ? whenStopped : **answer;
}

}  // namespace pixolane::ui
