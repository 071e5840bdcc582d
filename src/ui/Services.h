#pragma once
// What the windows ask of the desktop, in one object handed to them: message
// boxes, the folder dialog and opening a document. An empty function means
// the real desktop; tests hand the windows their own answers instead, and
// watch the processing windows through the two test seams at the end.
#include <QMessageBox>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

#include "platform/Platform.h"
#include "publish/Transport.h"
#include "run/ProcessingRun.h"

class QDialog;
class QWidget;

namespace pixolane::ui {

struct Message {
  QMessageBox::Icon icon = QMessageBox::Information;
  QString title;
  QString text;
  QString details;       // shown on demand, in a scrolling area
  QString action;        // the caption of a button beside OK, if any
  QString secondAction;  // a second such button ("Publier")
};

using MessageHandler = std::function<void(QWidget* parent, const Message& message)>;
using QuestionHandler = std::function<bool(QWidget* parent, const Message& question)>;
// A box with OK and the message's action buttons: 0 for OK, 1 for the action,
// 2 for the second action.
using ActionHandler = std::function<int(QWidget* parent, const Message& message)>;
// Receives owner, title and the initial folder; returns the chosen folder, ""
// for cancel.
using FolderDialog =
    std::function<QString(QWidget* owner, const QString& title, const QString& initialFolder)>;

struct Services {
  MessageHandler message;                 // a box with OK
  QuestionHandler question;               // a Yes/No box
  FolderDialog folderDialog;              // the folder picker
  platform::DocumentOpener openDocument;  // the finished gallery's document
  ActionHandler messageWithAction;        // the end of a run, with "Afficher"

  // Test seams: each processing window before it opens, and the options of
  // the runs (preview folder, workers).
  std::function<void(QDialog& window)> windowOpened;
  run::RunOptions runOptions;
  // Test seams of the publication: the server, and the password's question.
  std::function<std::unique_ptr<publish::Transport>(const publish::Address&,
                                                    const publish::Prompts&)>
      makeTransport;
  std::function<std::optional<QString>(const QString& address)> password;
};

}  // namespace pixolane::ui
