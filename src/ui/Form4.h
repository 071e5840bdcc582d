#pragma once
// The About window.
#include <QDialog>

class QLabel;

namespace pixolane::ui {

class Form4 : public QDialog {
  Q_OBJECT

 public:
  explicit Form4(QWidget* parent = nullptr);

  QLabel* Label1 = nullptr;  // "Pixolane"
  QLabel* Label2 = nullptr;  // "Version 1.0"
};

}  // namespace pixolane::ui
