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
      [this](const QString& text, const QString& title) {
        return askYesNo(services_, this, text, title.isEmpty() ? kRunTitle : title);
      },
      [this](const QString& text) { showMessage(services_, this, QMessageBox::Critical, text); },
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
  if (asking_) {
    // The run ended while the stop question was up: it closes once answered.
    returnedWhileAsking_ = true;
    return;
  }
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
  if (asking_ || bridge_->stopping())
    return;
  asking_ = true;
  const bool stop =
      askYesNo(services_, this, QStringLiteral("Arrêter la création de la galerie ?"), kRunTitle);
  asking_ = false;
  if (returnedWhileAsking_) {
    // Too late to stop: the run is complete and its result stands.
    finish();
    return;
  }
  if (stop && worker_) {
    Command1->setEnabled(false);
    bridge_->stop();
  }
}

void Form2::done(int result) {
  if (worker_ || asking_) {
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
