#pragma once
// The source picker's picture window: the clicked picture fitted into the view,
// its file name as caption and its size written on it.
#include <QImage>
#include <QSize>
#include <QString>
#include <QWidget>

#include "imaging/Imaging.h"

namespace pixolane::ui {

// The view's size when nothing has been drawn yet.
inline constexpr QSize kPictureView{241, 233};

// The drawn size of a picture fitted into `view` keeping its proportions: a
// landscape picture takes the full width, any other the full height.
QSize fitPicture(QSize picture, QSize view = kPictureView);

// Decoded pixels as an image that owns its own copy of them.
QImage toQImage(const imaging::RgbImage& rgb);

// The text written on the picture: "(640x480)".
QString pictureSizeText(QSize picture);

class Form3 : public QWidget {
  Q_OBJECT

 public:
  explicit Form3(QWidget* parent = nullptr);

  // Loads and shows one file; false when it could not be read (the window then
  // says so instead of showing a picture).
  bool showPicture(const QString& path);

  const QImage& drawn() const { return drawn_; }  // what the view shows
  QSize pictureSize() const { return pictureSize_; }
  const QString& failure() const { return failure_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QImage drawn_;
  QSize pictureSize_;
  QString failure_;
};

}  // namespace pixolane::ui
