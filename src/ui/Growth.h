#pragma once
// Room to grow: the windows are laid out in fixed places at their design
// size; when the main window is enlarged, its lists and browser take the
// extra room and the other controls keep their places beside them.
#include <QRect>
#include <QSize>

#include <initializer_list>
#include <vector>

class QAbstractItemView;
class QWidget;

namespace pixolane::ui {

// A control's design place and the shares (0 to 1) of the container's growth
// that each of its edges follows: {0, 0, 1, 1} grows with the container,
// {1, 1, 1, 1} keeps its place from the bottom right corner.
struct Anchor {
  QWidget* widget;
  double left, top, right, bottom;
};

class Growth {
 public:
  Growth() = default;
  // Takes each control's present place as its design place.
  Growth(std::initializer_list<Anchor> anchors);
  // One more control, at its present place.
  void add(const Anchor& anchor);

  // Puts every control at its design place moved by `by`, the container's
  // growth beyond its design size (nothing moves at the design size).
  void apply(QSize by) const;

 private:
  struct Placed {
    Anchor anchor;
    QRect design;
  };
  std::vector<Placed> placed_;
};

// The share of a growth of `by` that a `share` follows, rounded once for
// every control that uses it.
int shareOf(int by, double share);

// Items of `view` whose text does not fit show it whole in a tooltip.
void showCutNamesInTooltips(QAbstractItemView* view);

}  // namespace pixolane::ui
