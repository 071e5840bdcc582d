#include "ui/Messages.h"

namespace pixolane::ui {

namespace {

MessageHandler& messageHandler() {
  static MessageHandler handler;
  return handler;
}

QuestionHandler& questionHandler() {
  static QuestionHandler handler;
  return handler;
}

}  // namespace

void showMessage(QWidget* parent, QMessageBox::Icon icon, const QString& text,
                 const QString& title) {
  if (messageHandler()) {
    messageHandler()(parent, Message{icon, title, text});
    return;
  }
  QMessageBox box(icon, title, text, QMessageBox::Ok, parent);
  box.exec();
}

bool askYesNo(QWidget* parent, const QString& text, const QString& title) {
  if (questionHandler())
    return questionHandler()(parent, Message{QMessageBox::NoIcon, title, text});
  QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::Yes | QMessageBox::No, parent);
  box.setDefaultButton(QMessageBox::Yes);
  return box.exec() == QMessageBox::Yes;
}

void setMessageHandler(MessageHandler handler) {
  messageHandler() = std::move(handler);
}

void setQuestionHandler(QuestionHandler handler) {
  questionHandler() = std::move(handler);
}

}  // namespace pixolane::ui
