#include "ui/Messages.h"

namespace pixolane::ui {

void showMessage(const Services& services, QWidget* parent, QMessageBox::Icon icon,
                 const QString& text, const QString& title, const QString& details) {
  if (services.message) {
    services.message(parent, Message{icon, title, text, details});
    return;
  }
  QMessageBox box(icon, title, text, QMessageBox::Ok, parent);
  box.setDetailedText(details);
  box.exec();
}

Message errorListMessage(const QStringList& entries, const QStringList& reasons, int shown) {
  Message message{QMessageBox::Warning, kTitle, {}, {}};
  const qsizetype count = entries.size();
  message.text = QStringList(entries.mid(0, shown)).join('\n');
  if (count > shown)
    message.text +=
        QStringLiteral("\n… et %1 autres erreurs (voir les détails)").arg(count - shown);
  QStringList details;
  for (qsizetype i = 0; i < count; ++i) {
    details << entries.at(i);
    if (!reasons.value(i).isEmpty())
      details << QStringLiteral("    ") + reasons.at(i);
  }
  if (count > shown || !QStringList(reasons).join(QString()).isEmpty())
    message.details = details.join('\n');
  return message;
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
