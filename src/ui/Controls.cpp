#include "ui/Controls.h"

#include <QCheckBox>
#include <QPainter>
#include <QToolButton>

#include <algorithm>

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

QString withoutMnemonic(const QString& caption) {
  QString plain;
  plain.reserve(caption.size());
  for (qsizetype i = 0; i < caption.size(); ++i) {
    if (caption[i] == u'&' && i + 1 < caption.size())
      ++i;
    plain += caption[i];
  }
  return plain;
}

ValueBar::ValueBar(QWidget* parent) : QScrollBar(Qt::Horizontal, parent) {
  setInvertedControls(false);
  setFocusPolicy(Qt::StrongFocus);
}

void ValueBar::paintEvent(QPaintEvent* event) {
  QScrollBar::paintEvent(event);
  if (!hasFocus())
    return;
  // Scroll bars never take the focus in most styles, so none draws it, and a
  // style's focus rectangle may be drawn only after a keyboard focus change:
  // a frame of the highlight colour, whatever brought the focus.
  QPainter painter(this);
  QPen pen(palette().color(QPalette::Highlight));
  pen.setWidth(2);
  painter.setPen(pen);
  painter.drawRect(rect().adjusted(1, 1, -1, -1));
}

QToolButton* pictureButton(QWidget* parent, const QString& objectName, const QString& tip,
                           bool all) {
  auto* button = named(new QToolButton(parent), objectName, tip);
  button->setIcon(selectionIcon(all));
  button->setToolTip(tip);
  return button;
}

void tabStopOnChecked(const QList<QAbstractButton*>& group) {
  const auto update = [group] {
    const bool none = std::none_of(group.begin(), group.end(),
                                   [](const QAbstractButton* o) { return o->isChecked(); });
    for (QAbstractButton* option : group) {
      const bool stop = option->isChecked() || (none && option == group.front());
      option->setFocusPolicy(stop ? Qt::StrongFocus : Qt::ClickFocus);
    }
  };
  for (QAbstractButton* option : group)
    QObject::connect(option, &QAbstractButton::toggled, option, update);
  update();
}

void keepAbove(QWidget* window) {
  window->setWindowFlags((window->windowFlags() & ~Qt::WindowType_Mask) | Qt::Dialog);
}

int checkValue(const QCheckBox* box) {
  return box->isChecked() ? 1 : 0;
}

}  // namespace pixolane::ui
