#pragma once
// The run's share of the web-ready gallery: the standalone page written
// beside the gallery page, and copies without private metadata.
#include <QString>

#include <vector>

#include "job/GalleryJob.h"
#include "pages/Pages.h"
#include "run/RunView.h"

namespace pixolane::run {

struct RunReport;

// Whether the run may write its standalone page at `document`: yes when no
// file is there or the file is one this program wrote; otherwise the user is
// asked, since the file is someone else's.
bool mayWriteStandalone(const QString& document, RunView& view);

// Writes the standalone page of `cells`; a failure becomes an error entry.
void writeStandalone(const job::GalleryJob& job, const QString& document,
                     std::vector<pages::Cell> cells, RunReport& report);

// Copies a picture for the gallery: byte for byte, or, with `stripPrivate`,
// without its GPS position, serial numbers, owner names, maker notes and
// previews (a file that is not a JPEG is copied as it is).
bool copyPicture(const QString& source, const QString& destination, bool stripPrivate,
                 QString* reason);

}  // namespace pixolane::run
