#include "ui/Form4.h"

#include <QLabel>

namespace pixolane::ui {

Form4::Form4(QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral(" About...."));
  setFixedSize(240, 110);

  Label1 = new QLabel(QStringLiteral("Pixolane"), this);
  QFont big(QStringLiteral("Arial"));
  big.setPointSizeF(26.25);
  Label1->setFont(big);
  Label1->setStyleSheet(QStringLiteral("color: blue"));
  Label1->setAccessibleName(Label1->text());
  Label1->setGeometry(16, 12, 208, 50);

  Label2 = new QLabel(QStringLiteral("Version 1.0"), this);
  QFont small(QStringLiteral("MS Sans Serif"));
  small.setPointSizeF(8.25);
  small.setBold(true);
  Label2->setFont(small);
  Label2->setAccessibleName(Label2->text());
  Label2->setGeometry(16, 70, 208, 20);
}

}  // namespace pixolane::ui
