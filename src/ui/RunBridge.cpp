#include "ui/RunBridge.h"

#include <QThread>

#include <cmath>
#include <memory>

namespace pixolane::ui {

RunBridge::RunBridge(Asker ask, Teller tell, QObject* parent)
    : QObject(parent), ask_(std::move(ask)), tell_(std::move(tell)) {}

void RunBridge::stop() {
  stopping_ = true;
  // Taking the lock orders the stop before a waiting question's wake-up.
  { const std::lock_guard lock(mutex_); }
  answered_.notify_all();
}

bool RunBridge::answerOnOwnThread(Show show, bool whenStopped) {
  // The run always calls from its own thread: the box is shown on this
  // object's thread, which never waits for it.
  Q_ASSERT(QThread::currentThread() != thread());
  const auto token = std::make_shared<int>(0);
  {
    const std::lock_guard lock(mutex_);
    answer_.reset();
    asked_ = token;
  }
  if (stopping_)
    return whenStopped;
  QMetaObject::invokeMethod(
      this,
      [this, show = std::move(show), token] {
        if (stopping_)
          return;  // stopped before the box came up: the run no longer waits
        show([this, token](bool answer) {
          {
            const std::lock_guard lock(mutex_);
            if (asked_ != token)
              return;  // a question the run has stopped waiting for
            answer_ = answer;
          }
          answered_.notify_all();
        });
      },
      Qt::QueuedConnection);
  std::unique_lock lock(mutex_);
  answered_.wait(lock, [&] { return answer_.has_value() || stopping_; });
  asked_.reset();
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
  return answerOnOwnThread(
      [this, text, title](std::function<void(bool)> answered) {
        ask_(text, title, std::move(answered));
      },
      false);
}

void RunBridge::showError(const QString& text) {
  answerOnOwnThread(
      [this, text](std::function<void(bool)> answered) {
        tell_(text, [answered = std::move(answered)] { answered(true); });
      },
      true);
}

bool RunBridge::yieldCancelled() {
  return stopping_;
}

bool RunBridge::holdNewPictures() {
  return held_;
}

void RunBridge::navigate(const QString& pagePath) {
  emit pageReady(pagePath);
}

void RunBridge::closeView() {
  // The window closes on its own thread once the worker has ended.
}

}  // namespace pixolane::ui
