#include "ui/Form2.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QLabel>
#include <QProgressBar>
#include <QStatusBar>
#include <QTimer>

#include <cmath>

#include "ui/Messages.h"

namespace pixolane {

namespace {
constexpr int kStatusHeight = 17;
}

Form2::Form2(GalleryJob job, Navigate navigate, QWidget* parent, RunOptions options)
    : QDialog(parent),
      run_(std::move(job), *this, std::move(options)),
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

  Timer1 = new QTimer(this);
  Timer1->setSingleShot(true);
  Timer1->setInterval(100);
  connect(Timer1, &QTimer::timeout, this, &Form2::Timer1_Timer);

  Form_Load();
  Timer1->start();
}

void Form2::Form_Load() {
  run_.Form_Load();
}

void Form2::Timer1_Timer() {
  Timer1->stop();
  running_ = true;
  const RunReport report = run_.Timer1_Timer();
  running_ = false;
  emit runFinished();
  if (!report.errors.isEmpty()) {
    ui::showMessage(this, QMessageBox::Warning, report.errors.join('\n'));
  }
  // The run closes its view when it ends; should it not, the window must not
  // stay on screen with nothing left to do.
  if (isVisible())
    done(report.cancelled || report.stopped ? QDialog::Rejected : QDialog::Accepted);
}

void Form2::Form_Unload() {
  // Nothing was written when the window closes before the run started.
  if (run_.ran())
    run_.Form_Unload();
}

void Form2::setCaption(const QString& caption) {
  setWindowTitle(caption);
}

void Form2::setStatus(const QString& text) {
  Sb->showMessage(text);
}

void Form2::setProgressMin(float value) {
  Pb->setMinimum(int(std::lround(value)));
}

void Form2::setProgressMax(float value) {
  Pb->setMaximum(int(std::lround(value)));
}

void Form2::setProgressValue(float value) {
  Pb->setValue(int(std::lround(value)));
}

bool Form2::ask(const QString& text, const QString& title) {
  return ui::askYesNo(this, text, title.isEmpty() ? windowTitle() : title);
}

void Form2::showError(const QString& text) {
  ui::showMessage(this, QMessageBox::Critical, text);
}

bool Form2::yieldCancelled() {
  QCoreApplication::processEvents();
  return cancel_;
}

void Form2::navigate(const QString& pagePath) {
  if (navigate_)
    navigate_(pagePath);
}

void Form2::close() {
  // Called by the run from inside the timer tick: the window closes once the
  // tick has returned, so that the error list can still be shown over it.
  if (!running_)
    QDialog::close();
}

void Form2::reject() {
  if (running_) {
    cancel_ = true;
    return;
  }
  QDialog::reject();
}

void Form2::done(int result) {
  if (running_) {
    cancel_ = true;
    return;
  }
  if (!unloaded_) {
    unloaded_ = true;
    Form_Unload();
  }
  QDialog::done(result);
}

void Form2::closeEvent(QCloseEvent* event) {
  if (running_) {
    // The run stops after the pictures in flight and then closes the window.
    cancel_ = true;
    event->ignore();
    return;
  }
  QDialog::closeEvent(event);
}

}  // namespace pixolane
