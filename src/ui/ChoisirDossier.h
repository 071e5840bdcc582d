#pragma once
// The folder picker: the desktop's own folder dialog (Qt's where it has none),
// opening on a given folder.
#include <QString>

#include "ui/Services.h"

class QWidget;

namespace pixolane::ui {

// The folder the picker last opened on; kept until the next call. Plain text,
// no terminator appended. The one home of the picker's start folder.
QString& DossierDepart();

// Shows the folder dialog (the services' one when set), modal to `owner`,
// titled `title`, opening on `initialFolder` (stored in DossierDepart first).
// Returns the chosen folder with native separators and no trailing separator
// (a root keeps its own), or "" when the user cancels.
QString ChoisirDossier(const Services& services, QWidget* owner, const QString& title,
                       const QString& initialFolder);

// The folder the destination picker opens on: the user's Pictures folder when
// it exists, else the home folder; native separators.
QString defaultDestinationFolder();

}  // namespace pixolane::ui
