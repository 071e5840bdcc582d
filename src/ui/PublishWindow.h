#pragma once
// The publication window: the gallery sent to its web server on a worker
// thread, with files and bytes sent, the current file, the rate and the time
// left. "Annuler", Esc and the close box ask whether to stop; the window
// closes once the publication has returned, and its opener tells the end.
//
// Threads: the publication runs on the window's thread of its own; the
// questions it needs (host key, certificate, password) are asked on the UI
// thread while it waits. The FTP password can be kept in the desktop's
// keyring, read and written on the UI thread, never in a plain file.
#include <QDialog>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>

#include "publish/Publisher.h"
#include "ui/Services.h"

class QLabel;
class QProgressBar;
class QPushButton;
class QThread;

namespace pixolane::ui {

inline const QString kPublishTitle = QStringLiteral("Publication");

class PublishWindow : public QDialog {
  Q_OBJECT

 public:
  PublishWindow(QString destination, QString pageName, publish::Address address, Services services,
                QWidget* parent = nullptr);
  // Stops a publication still going and waits for it.
  ~PublishWindow() override;

  const publish::PublishReport& report() const { return report_; }
  // Starts the publication (the keyring first, for an FTP password).
  void start();

 public slots:
  void done(int result) override;

 private:
  void work();
  void finish();
  void showProgress(const publish::PublishProgress& progress);
  // Opens the password box; `answered` gets the password, none for Cancel.
  void askPassword(const QString& address, std::function<void(std::optional<QString>)> answered);
  // Runs `show` on the UI thread, which opens a box and hands its answer to
  // the callback, and waits for that answer; `whenStopped` once the
  // publication is being stopped.
  template <class T>
  T onUiThread(std::function<void(std::function<void(T)>)> show, T whenStopped);

  const QString destination_, pageName_;
  const publish::Address address_;
  const Services services_;
  publish::PublishReport report_;
  QThread* thread_ = nullptr;
  std::atomic<bool> stopping_{false};
  bool askingToStop_ = false;  // "Arrêter la publication ?" is up
  std::mutex mutex_;
  std::condition_variable answered_;
  std::optional<QString> keyringPassword_;
  std::optional<QString> typedPassword_;
  bool remember_ = false;

  QLabel* files_ = nullptr;
  QLabel* current_ = nullptr;
  QProgressBar* bar_ = nullptr;
  QPushButton* cancel_ = nullptr;
};

}  // namespace pixolane::ui
