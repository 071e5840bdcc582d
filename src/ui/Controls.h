#pragma once
// Small helpers shared by the rooms of the main window: every control carries
// its designer name as object name (tests and tools find it by that name) and
// its caption as accessible name (screen readers find it by that).
#include <QList>
#include <QScrollBar>
#include <QString>

class QAbstractButton;
class QCheckBox;
class QToolButton;
class QWidget;

namespace pixolane::ui {

// A caption as a person reads it: the mnemonic's "&" dropped ("&&" is one "&").
QString withoutMnemonic(const QString& caption);

// `caption` may carry a mnemonic ("&Ajouter"); the accessible name does not
// (the mnemonic reaches screen readers as the control's shortcut).
template <class W>
W* named(W* widget, const QString& objectName, const QString& caption) {
  widget->setObjectName(objectName);
  widget->setAccessibleName(withoutMnemonic(caption));
  return widget;
}

// A scroll bar used as a value control: the right arrow raises the value (a
// scroll bar's keys run towards its start by default) and the focus shows.
class ValueBar : public QScrollBar {
 public:
  explicit ValueBar(QWidget* parent);

 protected:
  void paintEvent(QPaintEvent* event) override;
};

// The picture buttons of the lists: ticked boxes select all, empty ones clear.
QToolButton* pictureButton(QWidget* parent, const QString& objectName, const QString& tip,
                           bool all);

// Tab enters an option group on its chosen option (the arrows move within).
void tabStopOnChecked(const QList<QAbstractButton*>& group);

// `window`, a window whose parent is the main window, is kept above it by
// the window manager: on X11 only dialogs and tools are marked as its own.
// Call before it is first shown.
void keepAbove(QWidget* window);

// A check box's value as the job holds it: 1 checked, 0 clear.
int checkValue(const QCheckBox* box);

}  // namespace pixolane::ui
