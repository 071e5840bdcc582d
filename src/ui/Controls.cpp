#include "ui/Controls.h"

#include <QCheckBox>
#include <QPainter>
#include <QToolButton>

namespace pixolane::ui {

namespace {

QIcon selectionIcon(bool all) {
  QPixmap pixmap(16, 16);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  for (int row = 0; row < 3; ++row) {
    const QRect box(1, 1 + row * 5, 4, 4);
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(Qt::white);
    p.drawRect(box);
    if (all)
      p.fillRect(box.adjusted(1, 1, 0, 0), QColor(0, 0, 160));
    p.drawLine(8, 3 + row * 5, 14, 3 + row * 5);
  }
  return QIcon(pixmap);
}

}  // namespace

QToolButton* pictureButton(QWidget* parent, const QString& objectName, const QString& tip,
                           bool all) {
  auto* button = named(new QToolButton(parent), objectName, tip);
  button->setIcon(selectionIcon(all));
  button->setToolTip(tip);
  return button;
}

int checkValue(const QCheckBox* box) {
  return box->isChecked() ? 1 : 0;
}

}  // namespace pixolane::ui
