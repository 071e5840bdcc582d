#pragma once
// Every message box of the windows goes through here and through the
// windows' services, so that tests can answer them without a real modal box.
#include <QMessageBox>
#include <QString>

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

// Yes/No question, Yes the default, no icon; true means Yes.
bool askYesNo(const Services& services, QWidget* parent, const QString& text, const QString& title);

}  // namespace pixolane::ui
