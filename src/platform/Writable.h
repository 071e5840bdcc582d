#pragma once
// Whether a gallery can be written where the user points, checked before
// anything is asked or written.
#include <QString>

namespace pixolane::platform {

// "" when a run can write into `destination` (made if missing, so then its
// nearest existing folder must take a new folder); otherwise the message
// "Le dossier D n'est pas accessible en écriture : <raison>". The check makes
// and removes a hidden folder there: permissions alone do not tell a
// read-only medium or what the administrator may do.
QString destinationWriteProblem(const QString& destination);

}  // namespace pixolane::platform
