#pragma once
// Preparing the two output folders before anything is written.
#include <QString>
#include <QStringList>

#include "run/Naming.h"
#include "run/RunView.h"

namespace pixolane::run {

struct FolderOutcome {
  bool ok = true;
  QString message;         // why the run stopped
  bool cancelled = false;  // the user cancelled at a question: nothing was touched
};

// The ordinary files of a folder: no sub-folders, no hidden files.
QStringList ordinaryFiles(const QString& folder);

// Deletes the ordinary files of a folder; the first that cannot be deleted is
// returned in *failed.
bool deleteOrdinaryFiles(const QString& folder, QString* failed);

// Creates the thumbnails and photos folders, or empties them after asking.
// Answering No keeps a folder's files and goes on. A folder that cannot be
// created or a file that cannot be deleted stops the run with a message. A
// cancel at a question undoes the folders this call created.
FolderOutcome Verif_Existance(const OutputLayout& layout, const QString& pageName, RunView& view);

// Creates the preview folder or empties it of ordinary files, without asking.
// A folder the user named is marked as the program's own once prepared.
FolderOutcome preparePreviewFolder(const QString& folder, bool namedByUser = false);

// A preview folder the user named may be emptied only of what earlier previews
// wrote there: it must be missing, empty, or marked as the program's own.
FolderOutcome checkNamedPreviewFolder(const QString& folder);

// Stops a run before anything is touched when one of its sources lies in a
// folder it empties or writes into, or is a file it writes: the source would
// be deleted or overwritten. Files are compared as the file system sees them
// (links resolved, case folded where the file system folds it).
FolderOutcome checkSourcesOutside(const QStringList& sources, const QStringList& folders,
                                  const QStringList& files);

}  // namespace pixolane::run
