#pragma once
// The terminal front end's arguments, turned into a gallery job.
#include <QString>
#include <QStringList>

#include "job/GalleryJob.h"

namespace pixolane::cli {

enum class FolderAnswer { Ask, Replace, Keep };

struct CliOptions {
  job::GalleryJob job;
  FolderAnswer folders = FolderAnswer::Ask;
  QString previewDir;
  int jobs = 0;
  bool sortByDate = false;  // --sort date
  bool quiet = false;
  bool force = false;          // draw everything again
  bool dryRun = false;         // say what a run would do, touch nothing
  bool prune = false;          // delete what earlier runs made for pictures no longer listed
  QString publishAddress;      // --publish / --publish-only
  bool publishOnly = false;    // publish the gallery as it is on disk, no run
  bool acceptHostKey = false;  // trust an unknown server key or certificate
  bool help = false;           // -h, --help
  bool version = false;        // -v, --version
};

struct ParseResult {
  bool ok = true;
  QString error;  // French, for stderr
  CliOptions options;
};

// Turns the arguments (without the program name) into a job, read as Qt's
// tools read theirs (-j1, -j 1, --jobs=1, --jobs 1; "--" ends the options).
// Pictures are listed in argument order; a folder adds its .jpg/.jpeg files
// in name order. Help and version are answered before any value is checked.
ParseResult parseArguments(const QStringList& args);

// The help, in Qt's layout with French words, and the exit codes.
QString helpText();

}  // namespace pixolane::cli
