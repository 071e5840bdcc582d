#pragma once
// The run's share of the web-ready gallery: the standalone page written
// beside the gallery page, and copies without private metadata.
#include <QString>

#include <vector>

#include "job/GalleryJob.h"
#include "pages/Pages.h"
#include "run/Folders.h"
#include "run/GalleryRecord.h"
#include "run/RunView.h"
#include "run/WebThumbnails.h"

namespace pixolane::run {

struct RunReport;

// Whether the run may write its standalone page at `document`: yes when no
// file is there or it is the program's (recorded as written and unchanged
// since, or carrying the page's generator line, as a page from before the
// record); otherwise the user is asked, as for the gallery page, and No
// declines the run.
FolderOutcome confirmStandalone(const QString& document, const QString& fileName,
                                const RecordEntry* recorded, RunView& view);

// Writes the standalone page of `cells` (each with its high-density thumbnail
// when that file reads back, and its picture's caption) and notes it in the
// report; a failure becomes an error entry.
void writeStandalone(const job::GalleryJob& job, const OutputLayout& layout,
                     const std::vector<pages::Cell>& cells, const WebThumbnails& web,
                     RunReport& report);

// Copies a picture for the gallery: byte for byte, or, with `stripPrivate`,
// without its GPS position, serial numbers, owner names, maker notes and
// previews (a file that is not a JPEG is copied as it is).
bool copyPicture(const QString& source, const QString& destination, bool stripPrivate,
                 QString* reason);

}  // namespace pixolane::run
