#pragma once
// Preparing the two output folders before anything is written.
#include <QString>
#include <QStringList>

#include "run/Naming.h"
#include "run/RunView.h"

namespace pixolane {

struct FolderOutcome {
  bool ok = true;
  QString message;  // why the run stopped
};

// The ordinary files of a folder: no sub-folders, no hidden files.
QStringList ordinaryFiles(const QString& folder);

// Deletes the ordinary files of a folder; the first that cannot be deleted is
// returned in *failed.
bool deleteOrdinaryFiles(const QString& folder, QString* failed);

// Creates the thumbnails and photos folders, or empties them after asking.
// Answering No keeps a folder's files and goes on. A folder that cannot be
// created or a file that cannot be deleted stops the run with a message.
FolderOutcome Verif_Existance(const OutputLayout& layout, const QString& pageName, RunView& view);

// Creates the preview folder or empties it of ordinary files, without asking.
FolderOutcome preparePreviewFolder(const QString& folder);

}  // namespace pixolane
