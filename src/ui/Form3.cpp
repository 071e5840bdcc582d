#include "ui/Form3.h"

#include <QFileInfo>
#include <QPainter>

#include <cmath>

#include "imaging/Imaging.h"

namespace pixolane::ui {

QSize fitPicture(QSize picture, QSize view) {
  const double w = picture.width();
  const double h = picture.height();
  if (w <= 0 || h <= 0)
    return view;
  // nearbyint rounds half to even under the default rounding mode.
  if (w > h)
    return {view.width(), int(std::nearbyint(view.width() / w * h))};
  return {int(std::nearbyint(view.height() / h * w)), view.height()};
}

QImage toQImage(const imaging::RgbImage& rgb) {
  if (rgb.isNull() || rgb.rgb.size() < qsizetype(rgb.width) * rgb.height * 3)
    return {};
  // A deep copy: the decoder's buffer may go away before the image is drawn.
  return QImage(reinterpret_cast<const uchar*>(rgb.rgb.constData()), rgb.width, rgb.height,
                rgb.width * 3, QImage::Format_RGB888)
      .copy();
}

QString pictureSizeText(QSize picture) {
  return QStringLiteral("(%1x%2)").arg(picture.width()).arg(picture.height());
}

Form3::Form3(QWidget* parent) : QWidget(parent, Qt::Window) {
  // The picture follows the clicks in the file list: keep the focus there.
  setAttribute(Qt::WA_ShowWithoutActivating);
  setFixedSize(kPictureView);
}

bool Form3::showPicture(const QString& path) {
  // A screen reader names the window after the picture and reads what is written on it.
  setWindowTitle(QFileInfo(path).fileName());
  setAccessibleName(windowTitle());
  imaging::PixelSize full;
  QString error;
  // Decoding at most the view's size keeps a click on a huge file instant.
  const imaging::RgbImage rgb =
      imaging::loadForDisplay(path, kPictureView.width(), kPictureView.height(), &full, &error);
  if (rgb.isNull() || full.width <= 0 || full.height <= 0) {
    drawn_ = QImage();
    pictureSize_ = QSize();
    failure_ = QStringLiteral("Impossible d'afficher cette image.");
    if (!error.isEmpty())
      failure_ += '\n' + error;
    setFixedSize(kPictureView);
    setAccessibleDescription(failure_);
    update();
    return false;
  }
  failure_.clear();
  pictureSize_ = QSize(full.width, full.height);
  const QSize size = fitPicture(pictureSize_);
  const QImage decoded = toQImage(rgb);
  drawn_ = decoded.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
  setFixedSize(size);
  setAccessibleDescription(pictureSizeText(pictureSize_));
  update();
  return true;
}

void Form3::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), palette().window());
  if (drawn_.isNull()) {
    painter.drawText(rect().adjusted(8, 8, -8, -8), Qt::AlignCenter | Qt::TextWordWrap, failure_);
    return;
  }
  painter.drawImage(0, 0, drawn_);
  QFont bold = font();
  bold.setBold(true);
  painter.setFont(bold);
  painter.setPen(Qt::white);
  painter.drawText(QRect(0, 0, width(), height()), Qt::AlignLeft | Qt::AlignTop,
                   pictureSizeText(pictureSize_));
}

}  // namespace pixolane::ui
