#pragma once
// Preparing the two output folders before anything is written.
#include <QString>
#include <QStringList>

#include <vector>

#include "run/GalleryRecord.h"
#include "run/Naming.h"
#include "run/RunView.h"

namespace pixolane::run {

// A file that a "Oui" gave up, as it was when the question was answered.
struct GivenUp {
  QString path;
  FileIdentity id;
};

struct FolderOutcome {
  bool ok = true;
  QString message;         // why the run stopped
  bool cancelled = false;  // the user cancelled at a question: nothing was touched
  bool declined = false;   // the user would not have a file of theirs replaced
  // What a "Oui" gave up: deleted only once the new page is in place.
  std::vector<GivenUp> givenUp;
};

// The ordinary files of a folder: no sub-folders, no hidden files.
QStringList ordinaryFiles(const QString& folder);

// Deletes the ordinary files of a folder; the first that cannot be deleted is
// returned in *failed.
bool deleteOrdinaryFiles(const QString& folder, QString* failed);

// Creates the thumbnails and photos folders and asks, for each that holds
// files, whether they may go; both questions come before anything is
// deleted. Answering No keeps a folder's files; Yes lists them in `givenUp`,
// which the run deletes only once its page is in place. A folder that cannot
// be created stops the run with a message. A cancel at a question undoes the
// folders this call created. Without `create` (a dry run) nothing is made.
FolderOutcome Verif_Existance(const OutputLayout& layout, const QString& pageName, RunView& view,
                              bool create = true);

// Asks "Le fichier <name> existe et n'a pas été créé par Pixolane. Le
// remplacer ?" about a page that is the user's; No declines the run.
FolderOutcome confirmPageReplacement(const QString& page, const QString& fileName, RunView& view);

// True when the page ends with the program's footer, as pages written before
// the record did.
bool carriesFooter(const QString& page);

// Refuses output folders that are links: writing through them would land
// wherever they point, and emptying them would empty that folder.
FolderOutcome checkNotLinked(const QStringList& folders);

// Creates the preview folder or empties it, without asking. The per-user
// folder is emptied of its ordinary files; a folder the user named is marked
// as the program's own, and only what earlier previews wrote there (the
// mark's record) is deleted.
FolderOutcome preparePreviewFolder(const QString& folder, bool namedByUser = false);

// The mark of a preview folder the user named; it holds the record of what
// previews wrote there.
QString previewMark(const QString& folder);

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
