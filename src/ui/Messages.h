#pragma once
// Every message box of the windows goes through here, so that tests can answer
// them without a real modal box.
#include <QMessageBox>
#include <QString>

#include <functional>

class QWidget;

namespace pixolane::ui {

// The main window's caption: the title of every message of the program.
inline const QString kTitle = QStringLiteral("Pixolane");

struct Message {
  QMessageBox::Icon icon = QMessageBox::Information;
  QString title;
  QString text;
};

// Shows a message with an OK button.
void showMessage(QWidget* parent, QMessageBox::Icon icon, const QString& text,
                 const QString& title = kTitle);

// Yes/No question, Yes the default, no icon; true means Yes.
bool askYesNo(QWidget* parent, const QString& text, const QString& title);

// Tests replace the boxes; empty functions restore the real ones.
using MessageHandler = std::function<void(QWidget* parent, const Message& message)>;
using QuestionHandler = std::function<bool(QWidget* parent, const Message& question)>;
void setMessageHandler(MessageHandler handler);
void setQuestionHandler(QuestionHandler handler);

}  // namespace pixolane::ui
