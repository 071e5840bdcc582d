#include "ui/Form2.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QThread>
#include <QTimer>

#include "ui/Controls.h"
#include "ui/Messages.h"
#include "ui/RunBridge.h"

namespace pixolane::ui {

using job::GalleryJob;
using run::RunOptions;

namespace {
constexpr int kBodyHeight = 78;  // the bar, then the button row
constexpr int kStatusHeight = 17;
}  // namespace

Form2::Form2(GalleryJob job, Navigate navigate, Services services, QWidget* parent)
    : QDialog(parent), services_(std::move(services)), navigate_(std::move(navigate)) {
  setWindowTitle(kRunTitle);
  setFixedSize(543, kBodyHeight + kStatusHeight);

  bridge_ = new RunBridge(
      [this](const QString& text, const QString& title, std::function<void(bool)> answered) {
        askYesNo(services_, this, text, title.isEmpty() ? kRunTitle : title, std::move(answered));
      },
      [this](const QString& text, std::function<void()> seen) {
        announceThen(services_, this, Message{QMessageBox::Critical, kRunTitle, text},
                     std::move(seen));
      },
      this);
  RunOptions options = services_.runOptions;
  if (!options.openDocument)
    options.openDocument = services_.openDocument;
  run_ = std::make_unique<run::ProcessingRun>(std::move(job), *bridge_, std::move(options));

  Pb = named(new QProgressBar(this), QStringLiteral("Pb"), QStringLiteral("Progression"));
  Pb->setGeometry(8, 8, 527, 25);
  Pb->setTextVisible(false);

  const QString cancel = QStringLiteral("Annuler");
  Command1 = named(new QPushButton(cancel, this), QStringLiteral("Command1"), cancel);
  Command1->setGeometry(438, 41, 97, 28);
  Command1->setAutoDefault(false);

  Sb = named(new QStatusBar(this), QStringLiteral("Sb"), QStringLiteral("Etat"));
  Sb->setSizeGripEnabled(false);
  Sb->setGeometry(0, kBodyHeight, 543, kStatusHeight);

  connect(bridge_, &RunBridge::captionChanged, this, &QWidget::setWindowTitle);
  connect(bridge_, &RunBridge::statusChanged, Sb, [this](const QString& t) { Sb->showMessage(t); });
  connect(bridge_, &RunBridge::progressMinChanged, Pb, &QProgressBar::setMinimum);
  connect(bridge_, &RunBridge::progressMaxChanged, Pb, &QProgressBar::setMaximum);
  connect(bridge_, &RunBridge::progressValueChanged, Pb, &QProgressBar::setValue);
  connect(bridge_, &RunBridge::pageReady, this, [this](const QString& page) {
    if (navigate_)
      navigate_(page);
  });
  connect(Command1, &QPushButton::clicked, this, &QDialog::reject);

  Timer1 = new QTimer(this);
  Timer1->setSingleShot(true);
  Timer1->setInterval(100);
  connect(Timer1, &QTimer::timeout, this, &Form2::Timer1_Timer);

  Form_Load();
  Timer1->start();
}

Form2::~Form2() {
  if (worker_) {
    bridge_->stop();
    worker_->wait();
  }
}

void Form2::Form_Load() {
  run_->Form_Load();
}

void Form2::Timer1_Timer() {
  Timer1->stop();
  if (worker_ || run_->ran())
    return;
  worker_.reset(QThread::create([this] { run_->Timer1_Timer(); }));
  connect(worker_.get(), &QThread::finished, this, &Form2::runReturned);
  worker_->start();
}

void Form2::runReturned() {
  worker_->wait();
  worker_.reset();
  Command1->setEnabled(false);
  if (bridge_->held())
    return;  // the stop question is up: the window closes once it is answered
  finish();
}

void Form2::finish() {
  const run::RunReport& report = run_->report();
  if (isVisible())
    done(!report.cancelled && !report.stopped ? QDialog::Accepted : QDialog::Rejected);
}

void Form2::Form_Unload() {
  // Nothing was written when the window closes before the run started.
  if (run_->ran())
    unloaded_ = run_->Form_Unload();
}

void Form2::Annuler_Click() {
  if (bridge_->held() || bridge_->stopping())
    return;  // already asked, or already stopping
  bridge_->hold(true);
  askYesNo(services_, this, QStringLiteral("Arrêter la création de la galerie ?"), kRunTitle,
           [this](bool stop) { stopAnswered(stop); });
}

void Form2::stopAnswered(bool stop) {
  bridge_->hold(false);
  if (!worker_) {
    // The run ended while the question was up: its result stands, and a Yes
    // came too late to stop anything.
    stopCameLate_ = stop && run_->ran();
    finish();
    return;
  }
  if (stop) {
    Command1->setEnabled(false);
    bridge_->stop();
  }
}

void Form2::done(int result) {
  if (worker_ || bridge_->held()) {
    Annuler_Click();
    return;
  }
  if (!run_->ran()) {
    // Closed before the run started: it never will.
    Timer1->stop();
    bridge_->stop();
  }
  Form_Unload();
  QDialog::done(result);
}

bool Form2::cancelRequested() const {
  return bridge_->stopping();
}

}  // namespace pixolane::ui
