#include "ui/RunBridge.h"

#include <QThread>

#include <cmath>

namespace pixolane::ui {

RunBridge::RunBridge(Asker ask, Teller tell, QObject* parent)
    : QObject(parent), ask_(std::move(ask)), tell_(std::move(tell)) {}

void RunBridge::stop() {
  stopping_ = true;
  // Taking the lock orders the stop before a waiting question's wake-up.
  { const std::lock_guard lock(mutex_); }
  answered_.notify_all();
}

bool RunBridge::answerOnOwnThread(std::function<bool()> show, bool whenStopped) {
  if (QThread::currentThread() == thread())
    return stopping_ ? whenStopped : show();
  {
    const std::lock_guard lock(mutex_);
    answer_.reset();
  }
  if (stopping_)
    return whenStopped;
  QMetaObject::invokeMethod(
      this,
      [this, show = std::move(show)] {
        if (stopping_)
          return;  // stopped before the box came up: the run no longer waits
        const bool answer = show();
        {
          const std::lock_guard lock(mutex_);
          answer_ = answer;
        }
        answered_.notify_all();
      },
      Qt::QueuedConnection);
  std::unique_lock lock(mutex_);
  answered_.wait(lock, [&] { return answer_.has_value() || stopping_; });
  // Stopped while the box was up: its answer comes too late to count.
  return stopping_ ? whenStopped : *answer_;
}

void RunBridge::setCaption(const QString& caption) {
  emit captionChanged(caption);
}

void RunBridge::setStatus(const QString& text) {
  emit statusChanged(text);
}

void RunBridge::setProgressMin(float value) {
  emit progressMinChanged(int(std::lround(value)));
}

void RunBridge::setProgressMax(float value) {
  emit progressMaxChanged(int(std::lround(value)));
}

void RunBridge::setProgressValue(float value) {
  emit progressValueChanged(int(std::lround(value)));
}

bool RunBridge::ask(const QString& text, const QString& title) {
  return answerOnOwnThread([this, text, title] { return ask_(text, title); }, false);
}

void RunBridge::showError(const QString& text) {
  answerOnOwnThread(
      [this, text] {
        tell_(text);
        return true;
      },
      true);
}

bool RunBridge::yieldCancelled() {
  return stopping_;
}

void RunBridge::navigate(const QString& pagePath) {
  emit pageReady(pagePath);
}

void RunBridge::closeView() {
  // The window closes on its own thread once the worker has ended.
}

}  // namespace pixolane::ui
