#pragma once
// Every message box of the windows goes through here and through the
// windows' services, so that tests can answer them without a real modal box.
#include <QMessageBox>
#include <QString>

#include <functional>

#include "run/ProcessingRun.h"
#include "ui/Services.h"

class QWidget;

namespace pixolane::ui {

// The main window's caption: the title of every message of the program.
inline const QString kTitle = QStringLiteral("Pixolane");

// Shows a message with an OK button; `details` go in the box's scrolling
// details area.
void showMessage(const Services& services, QWidget* parent, QMessageBox::Icon icon,
                 const QString& text, const QString& title = kTitle,
                 const QString& details = QString());

// The warning box of a run's error entries: the first `shown` entries as its
// text (so it never grows past the screen), every entry with its reason
// indented below it as the details.
Message errorListMessage(const QStringList& entries, const QStringList& reasons, int shown = 12);

// A box with OK and the message's action button if it has one, which calls
// `onAction`. It does not wait: the caller goes on (the end of a run is told
// from a slot) and the box acts when the user answers. Returns the box while
// it is up (none when the services answered).
QMessageBox* announce(const Services& services, QWidget* parent, const Message& message,
                      std::function<void()> onAction = {},
                      std::function<void()> onSecondAction = {});

// A box with OK that does not wait: `closed` is called once the user has
// closed it.
void announceThen(const Services& services, QWidget* parent, const Message& message,
                  std::function<void()> closed);

// What a gallery run made, one line: "La galerie « vacances » est créée : 30
// images (dont 12 inchangées), 0 erreur." The images are the pictures written
// and those kept unchanged.
QString runSummary(const run::RunReport& report, const QString& pageName);

// The box at the end of a gallery run: the summary and the page's path, with
// "Afficher" when the page was written; with errors, the warning box of the
// error entries under the summary.
Message runEndMessage(const run::RunReport& report, const QString& pageName);

// What a stopped gallery run left: nothing written, or what was kept;
// `earlierPage` when a page of an earlier run is still there.
QString stoppedText(const run::RunReport& report, bool earlierPage);

// The desktop could not open a document.
QString cannotOpenText(const QString& path);

// Yes/No question, Yes the default, no icon. It does not wait: `answered`
// gets true for Yes once the user has answered (at once when the services
// answer for the desktop).
void askYesNo(const Services& services, QWidget* parent, const QString& text, const QString& title,
              std::function<void(bool yes)> answered);

// Gives a box's parts their names for screen readers: its icon says what
// kind of message it is, and an empty icon place is hidden.
void nameBoxParts(QMessageBox* box);

}  // namespace pixolane::ui
