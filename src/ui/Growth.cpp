#include "ui/Growth.h"

#include <QAbstractItemView>
#include <QHelpEvent>
#include <QToolTip>

#include <cmath>

namespace pixolane::ui {

int shareOf(int by, double share) {
  return int(std::lround(by * share));
}

Growth::Growth(std::initializer_list<Anchor> anchors) {
  for (const Anchor& a : anchors)
    add(a);
}

void Growth::add(const Anchor& anchor) {
  placed_.push_back({anchor, anchor.widget->geometry()});
}

void Growth::apply(QSize by) const {
  const int dx = std::max(0, by.width());
  const int dy = std::max(0, by.height());
  for (const Placed& p : placed_) {
    const Anchor& a = p.anchor;
    p.anchor.widget->setGeometry(p.design.adjusted(shareOf(dx, a.left), shareOf(dy, a.top),
                                                   shareOf(dx, a.right), shareOf(dy, a.bottom)));
  }
}

namespace {

// Answers the view's tooltip requests: the item's text when it is cut at the
// view's right edge, nothing otherwise.
class CutNameTips : public QObject {
 public:
  explicit CutNameTips(QAbstractItemView* view) : QObject(view), view_(view) {}

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() != QEvent::ToolTip)
      return QObject::eventFilter(watched, event);
    const auto* help = static_cast<QHelpEvent*>(event);
    const QModelIndex index = view_->indexAt(help->pos());
    const QRect item = view_->visualRect(index);
    if (index.isValid() &&
        item.left() + view_->sizeHintForIndex(index).width() > view_->viewport()->width()) {
      QToolTip::showText(help->globalPos(), index.data(Qt::DisplayRole).toString(),
                         view_->viewport(), item);
    } else {
      QToolTip::hideText();
    }
    return true;
  }

 private:
  QAbstractItemView* view_;
};

}  // namespace

void showCutNamesInTooltips(QAbstractItemView* view) {
  view->viewport()->installEventFilter(new CutNameTips(view));
}

}  // namespace pixolane::ui
