#include "ui/FitCaptions.h"

#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QTabBar>
#include <QTabWidget>
#include <QWidget>

#include <functional>

#include "ui/Controls.h"

namespace pixolane::ui {

namespace {

constexpr qreal kSmallestPoints = 6.0;  // below this a caption is no longer legible
constexpr qreal kStep = 0.5;

// Lowers `w`'s own font until `fits` answers true or the smallest size is
// reached. A frame's children keep the font they had.
void shrinkUntil(QWidget* w, const std::function<bool()>& fits) {
  if (fits())
    return;
  QList<QPair<QWidget*, QFont>> children;
  for (QWidget* child : w->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
    children.append({child, child->font()});
  QFont font = w->font();
  qreal points = font.pointSizeF();
  if (points <= 0)
    return;  // a font sized in pixels: left as it is
  while (!fits() && points > kSmallestPoints) {
    points = qMax(kSmallestPoints, points - kStep);
    font.setPointSizeF(points);
    w->setFont(font);
  }
  for (const auto& [child, childFont] : children)
    child->setFont(childFont);
}

bool captionFits(QWidget* w) {
  // A push button's size hint has a minimum width of the style's: only its
  // text and margins count.
  if (auto* push = qobject_cast<QPushButton*>(w)) {
    const int margin = push->style()->pixelMetric(QStyle::PM_ButtonMargin, nullptr, push);
    const QFontMetrics metrics = push->fontMetrics();
    return metrics.horizontalAdvance(withoutMnemonic(push->text())) + 2 * margin <= push->width() &&
           metrics.height() <= push->height();
  }
  const QSize hint = w->sizeHint();
  return hint.width() <= w->width() && hint.height() <= w->height();
}

bool frameTitleFits(QGroupBox* box) {
  const int margin = box->style()->pixelMetric(QStyle::PM_LayoutLeftMargin, nullptr, box);
  return box->fontMetrics().horizontalAdvance(withoutMnemonic(box->title())) + 2 * margin <=
         box->width();
}

bool tabsFit(QTabWidget* tabs) {
  return tabs->tabBar()->sizeHint().width() <= tabs->width();  // every tab at full width
}

}  // namespace

void fitCaptions(QWidget* window) {
  // Frames first: their children then fit against the font they keep.
  for (QGroupBox* box : window->findChildren<QGroupBox*>()) {
    if (!box->title().isEmpty())
      shrinkUntil(box, [box] { return frameTitleFits(box); });
  }
  for (QTabWidget* tabs : window->findChildren<QTabWidget*>()) {
    QTabBar* bar = tabs->tabBar();
    shrinkUntil(bar, [tabs] { return tabsFit(tabs); });
  }
  for (QWidget* w : window->findChildren<QWidget*>()) {
    if (w->isHidden())
      continue;
    auto* label = qobject_cast<QLabel*>(w);
    auto* button = qobject_cast<QAbstractButton*>(w);
    if ((label && !label->text().isEmpty() && !label->wordWrap()) ||
        (button && !button->text().isEmpty()))
      shrinkUntil(w, [w] { return captionFits(w); });
  }
}

}  // namespace pixolane::ui
