#pragma once
// The compression preview window: one picture of the processing list drawn at
// the target size and encoded with the chosen quality and format, decoded and
// shown, with the encoded size in the caption. Clicking (or →, Space, Page
// Down; ← and Page Up go back) steps through the list; Escape closes.
#include <QWidget>

#include "job/GalleryJob.h"

class QLabel;
class QScrollArea;

namespace pixolane::ui {

class Apercu : public QWidget {
  Q_OBJECT

 public:
  // `job` is the main window's live job; it must outlive this window. It is
  // read afresh at every render, so changes made meanwhile show at the next.
  // `position` is the preview position in the processing list, kept by the
  // owner so that closing (or deleting) and reopening shows the same picture.
  Apercu(const job::GalleryJob& job, int& position, QWidget* parent = nullptr);
  ~Apercu() override;

  // The encoded size of the picture on show, 0 when none is shown.
  qint64 encodedBytes() const { return encodedBytes_; }
  // True while a render is on its way.
  bool isRendering() const { return rendering_; }

  QLabel* Picture1 = nullptr;  // the decoded picture; click for the next one

 public slots:
  void maj();        // renders the picture at the preview position
  void affiche();    // steps to the next picture (the first after the last), then renders
  void precedent();  // steps to the picture before (the last before the first), then renders
  void Picture1_Click();

 signals:
  // A render has finished and the window shows its outcome (`ok` false for an
  // empty list or a picture that could not be read or encoded).
  void rendered(bool ok);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void showPicture(const QImage& image);

  QScrollArea* scroll_ = nullptr;  // scroll bars when the picture is larger than the screen
  const job::GalleryJob& job_;
  int& position_;
  quint64 generation_ = 0;  // renders asked for; a result of an older one is dropped
  bool rendering_ = false;
  qint64 encodedBytes_ = 0;
};

}  // namespace pixolane::ui
