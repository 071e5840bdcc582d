#pragma once
// The folder picker: the desktop's own folder dialog (Qt's where it has none),
// opening on a given folder.
#include <QString>

#include <functional>

class QWidget;

namespace pixolane {

// The folder the picker last opened on; kept until the next call. Plain text,
// no terminator appended.
QString& DossierDepart();

// Shows the folder dialog, modal to `owner`, titled `title`, opening on
// `initialFolder` (stored in DossierDepart first). Returns the chosen folder
// with native separators and no trailing separator (a root keeps its own), or
// "" when the user cancels.
QString ChoisirDossier(QWidget* owner, const QString& title, const QString& initialFolder);

// Tests replace the dialog: the function receives owner, title and the
// initial folder and returns what the user "chose" ("" for cancel). An empty
// function restores the real dialog.
using FolderDialog =
    std::function<QString(QWidget* owner, const QString& title, const QString& initialFolder)>;
void setFolderDialog(FolderDialog dialog);

// The folder the destination picker opens on: the user's Pictures folder when
// it exists, else the home folder; native separators.
QString defaultDestinationFolder();

}  // namespace pixolane
