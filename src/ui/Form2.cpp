#include "ui/Form2.h"

#include <QLabel>
#include <QProgressBar>
#include <QStatusBar>
#include <QThread>
#include <QTimer>

#include <cmath>

#include "ui/Messages.h"

namespace pixolane::ui {

using job::GalleryJob;
using run::RunOptions;
using run::RunReport;

namespace {
constexpr int kStatusHeight = 17;

RunOptions withOpener(RunOptions options, const Services& services) {
  if (!options.openDocument)
    options.openDocument = services.openDocument;
  return options;
}

}  // namespace

Form2::Form2(GalleryJob job, Navigate navigate, Services services, QWidget* parent,
             RunOptions options)
    : QDialog(parent),
      services_(std::move(services)),
      run_(std::move(job), *this, withOpener(std::move(options), services_)),
      navigate_(std::move(navigate)) {
  setWindowTitle(QStringLiteral("Traitement"));
  setModal(true);
  setFixedSize(543, 58 + kStatusHeight);

  Pb = new QProgressBar(this);
  Pb->setGeometry(8, 8, 527, 25);
  Pb->setTextVisible(false);
  Pb->setAccessibleName(QStringLiteral("Progression"));

  Sb = new QStatusBar(this);
  Sb->setSizeGripEnabled(false);
  Sb->setGeometry(0, 58, 543, kStatusHeight);
  Sb->setAccessibleName(QStringLiteral("Etat"));

  // Direct when the window's own thread emits, queued from the worker.
  connect(this, &Form2::captionShown, this, &QWidget::setWindowTitle);
  connect(this, &Form2::statusShown, Sb, [this](const QString& t) { Sb->showMessage(t); });
  connect(this, &Form2::progressMinShown, Pb, &QProgressBar::setMinimum);
  connect(this, &Form2::progressMaxShown, Pb, &QProgressBar::setMaximum);
  connect(this, &Form2::progressValueShown, Pb, &QProgressBar::setValue);
  connect(this, &Form2::pageReady, this, [this](const QString& page) {
    if (navigate_)
      navigate_(page);
  });

  Timer1 = new QTimer(this);
  Timer1->setSingleShot(true);
  Timer1->setInterval(100);
  connect(Timer1, &QTimer::timeout, this, &Form2::Timer1_Timer);

  Form_Load();
  Timer1->start();
}

Form2::~Form2() {
  if (worker_) {
    requestCancel();
    worker_->wait();
  }
}

void Form2::Form_Load() {
  run_.Form_Load();
}

void Form2::Timer1_Timer() {
  Timer1->stop();
  if (worker_)
    return;
  worker_.reset(QThread::create([this] { run_.Timer1_Timer(); }));
  connect(worker_.get(), &QThread::finished, this, &Form2::runReturned);
  worker_->start();
}

void Form2::runReturned() {
  worker_->wait();
  worker_.reset();
  emit runFinished();
  const RunReport& report = run_.report();
  if (!report.errors.isEmpty()) {
    const Message m = errorListMessage(report.errors, report.reasons);
    showMessage(services_, this, m.icon, m.text, m.title, m.details);
  }
  if (isVisible())
    done(report.cancelled || report.stopped ? QDialog::Rejected : QDialog::Accepted);
}

void Form2::Form_Unload() {
  // Nothing was written when the window closes before the run started.
  if (run_.ran())
    run_.Form_Unload();
}

void Form2::done(int result) {
  if (worker_) {
    requestCancel();
    return;
  }
  Timer1->stop();
  Form_Unload();
  QDialog::done(result);
}

bool Form2::cancelRequested() const {
  return worker_ && worker_->isInterruptionRequested();
}

void Form2::requestCancel() {
  worker_->requestInterruption();
  // Taking the lock orders the request before a waiting question's wake-up.
  { const std::lock_guard lock(answerMutex_); }
  answered_.notify_all();
}

bool Form2::answerFromWindow(std::function<bool()> show, bool whenCancelled) {
  QThread* const self = QThread::currentThread();
  if (self == thread())
    return show();
  {
    const std::lock_guard lock(answerMutex_);
    answer_.reset();
  }
  if (self->isInterruptionRequested())
    return whenCancelled;
  QMetaObject::invokeMethod(
      this,
      [this, show = std::move(show)] {
        // Cancelled before the box came up: the run no longer waits for it.
        if (cancelRequested())
          return;
        const bool answer = show();
        if (cancelRequested())
          return;  // closed while the box was up: the answer no longer counts
        {
          const std::lock_guard lock(answerMutex_);
          answer_ = answer;
        }
        answered_.notify_all();
      },
      Qt::QueuedConnection);
  std::unique_lock lock(answerMutex_);
  answered_.wait(lock, [&] { return answer_.has_value() || self->isInterruptionRequested(); });
  return self->isInterruptionRequested() ? whenCancelled : *answer_;
}

void Form2::setCaption(const QString& caption) {
  emit captionShown(caption);
}

void Form2::setStatus(const QString& text) {
  emit statusShown(text);
}

void Form2::setProgressMin(float value) {
  emit progressMinShown(int(std::lround(value)));
}

void Form2::setProgressMax(float value) {
  emit progressMaxShown(int(std::lround(value)));
}

void Form2::setProgressValue(float value) {
  emit progressValueShown(int(std::lround(value)));
}

bool Form2::ask(const QString& text, const QString& title) {
  // No keeps the files: a run being cancelled deletes nothing.
  return answerFromWindow(
      [this, text, title] {
        return askYesNo(services_, this, text, title.isEmpty() ? windowTitle() : title);
      },
      false);
}

void Form2::showError(const QString& text) {
  answerFromWindow(
      [this, text] {
        showMessage(services_, this, QMessageBox::Critical, text);
        return true;
      },
      true);
}

bool Form2::yieldCancelled() {
  // The window repaints on its own thread; only the cancel request matters here.
  return QThread::currentThread()->isInterruptionRequested();
}

void Form2::navigate(const QString& pagePath) {
  emit pageReady(pagePath);
}

void Form2::closeView() {
  // The window closes in runReturned, on its own thread, once the worker has
  // ended, so that the error list can still be shown over it.
}

}  // namespace pixolane::ui
