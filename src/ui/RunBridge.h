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
#include <memory>
#include <mutex>
#include <optional>

#include "run/RunView.h"

namespace pixolane::ui {

class RunBridge : public QObject, public run::RunView {
  Q_OBJECT

 public:
  // Both run on the bridge's thread and return at once: a Yes/No question
  // whose answer (true: Yes) comes through `answered`, and a message that
  // calls `seen` once the user has seen it.
  using Asker = std::function<void(const QString& text, const QString& title,
                                   std::function<void(bool)> answered)>;
  using Teller = std::function<void(const QString& text, std::function<void()> seen)>;

  RunBridge(Asker ask, Teller tell, QObject* parent = nullptr);

  // Any thread: no new picture starts, and a question still waiting for its
  // answer gets No, so a stopping run deletes nothing.
  void stop();
  bool stopping() const { return stopping_; }
  // While held (the user is asked whether to stop), no new picture starts.
  void hold(bool held) { held_ = held; }
  bool held() const { return held_; }

  // RunView, called by the run on its own thread.
  void setCaption(const QString& caption) override;
  void setStatus(const QString& text) override;
  void setProgressMin(float value) override;
  void setProgressMax(float value) override;
  void setProgressValue(float value) override;
  bool ask(const QString& text, const QString& title) override;
  void showError(const QString& text) override;
  bool yieldCancelled() override;
  bool holdNewPictures() override;
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
  // Runs `show` on the bridge's thread and waits for the answer it hands to
  // its callback; `whenStopped` once a stop was asked (the box is then never
  // shown).
  using Show = std::function<void(std::function<void(bool)> answered)>;
  bool answerOnOwnThread(Show show, bool whenStopped);

  const Asker ask_;
  const Teller tell_;
  std::atomic<bool> stopping_{false};
  std::atomic<bool> held_{false};
  std::mutex mutex_;
  std::condition_variable answered_;
  std::optional<bool> answer_;
  std::shared_ptr<int> asked_;  // the question the run waits for
};

}  // namespace pixolane::ui
