#pragma once
// The run's view in the window: a small object on the UI thread that the run
// calls from its worker thread. Progress leaves it as signals, which reach the
// widgets queued; a question or a stopping message is shown on the UI thread
// while the run waits for the answer, or for a stop, which answers it No.
// The processing window owns one and never sees the worker.
#include <QObject>
#include <QString>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>

#include "run/RunView.h"

namespace pixolane::ui {

class RunBridge : public QObject, public run::RunView {
  Q_OBJECT

 public:
  // Both run on the bridge's thread: a Yes/No question (true: Yes) and a
  // message the user must have seen.
  using Asker = std::function<bool(const QString& text, const QString& title)>;
  using Teller = std::function<void(const QString& text)>;

  RunBridge(Asker ask, Teller tell, QObject* parent = nullptr);

  // Any thread: no new picture starts, and a question still waiting for its
  // answer gets No, so a stopping run deletes nothing.
  void stop();
  bool stopping() const { return stopping_; }

  // RunView, called by the run on its own thread.
  void setCaption(const QString& caption) override;
  void setStatus(const QString& text) override;
  void setProgressMin(float value) override;
  void setProgressMax(float value) override;
  void setProgressValue(float value) override;
  bool ask(const QString& text, const QString& title) override;
  void showError(const QString& text) override;
  bool yieldCancelled() override;
  void navigate(const QString& pagePath) override;
  void closeView() override;

 signals:
  void captionChanged(const QString& caption);
  void statusChanged(const QString& text);
  void progressMinChanged(int value);
  void progressMaxChanged(int value);
  void progressValueChanged(int value);
  void pageReady(const QString& pagePath);

 private:
  // Runs `show` on the bridge's thread and waits for its answer;
  // `whenStopped` once a stop was asked (the box is then never shown).
  bool answerOnOwnThread(std::function<bool()> show, bool whenStopped);

  const Asker ask_;
  const Teller tell_;
  std::atomic<bool> stopping_{false};
  std::mutex mutex_;
  std::condition_variable answered_;
  std::optional<bool> answer_;
};

}  // namespace pixolane::ui
