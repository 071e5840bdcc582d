#include "ui/Messages.h"

namespace pixolane::ui {

void showMessage(const Services& services, QWidget* parent, QMessageBox::Icon icon,
                 const QString& text, const QString& title) {
  if (services.message) {
    services.message(parent, Message{icon, title, text});
    return;
  }
  QMessageBox box(icon, title, text, QMessageBox::Ok, parent);
  box.exec();
}

bool askYesNo(const Services& services, QWidget* parent, const QString& text,
              const QString& title) {
  if (services.question)
    return services.question(parent, Message{QMessageBox::NoIcon, title, text});
  QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::Yes | QMessageBox::No, parent);
  box.setDefaultButton(QMessageBox::Yes);
  return box.exec() == QMessageBox::Yes;
}

}  // namespace pixolane::ui
