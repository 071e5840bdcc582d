#pragma once
// The three things a processing window can run.
#include "run/ProcessingRun.h"

namespace pixolane::run {

// Re-draws every picture at the target size, then a thumbnail of each, then the page.
RunReport Traitement(ProcessingRun& run);
// Copies every picture unchanged, then a thumbnail of each, then the page.
RunReport Traitement_Copie(ProcessingRun& run);
// Thumbnails and temp.html in the preview folder, shown by the view.
RunReport Apercu(ProcessingRun& run);

// How many entries of the list (the first ones) the resize pass draws with
// their thumbnail from one decode; the others draw the thumbnail again in step 2.
int thumbnailsKept(const job::GalleryJob& job);

// The error entry of a picture that could not be made.
QString errorEntry(const QString& sourcePath);

}  // namespace pixolane::run
