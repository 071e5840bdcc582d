#pragma once
// Small helpers shared by the rooms of the main window: every control carries
// its designer name as object name (tests and tools find it by that name) and
// its caption as accessible name (screen readers find it by that).
#include <QString>

class QCheckBox;
class QToolButton;
class QWidget;

namespace pixolane::ui {

template <class W>
W* named(W* widget, const QString& objectName, const QString& caption) {
  widget->setObjectName(objectName);
  widget->setAccessibleName(caption);
  return widget;
}

// The picture buttons of the lists: ticked boxes select all, empty ones clear.
QToolButton* pictureButton(QWidget* parent, const QString& objectName, const QString& tip,
                           bool all);

// A check box's value as the job holds it: 1 checked, 0 clear.
int checkValue(const QCheckBox* box);

}  // namespace pixolane::ui
