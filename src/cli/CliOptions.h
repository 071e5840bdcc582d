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
  bool quiet = false;
  bool help = false;
};

struct ParseResult {
  bool ok = true;
  QString error;  // French, for stderr
  CliOptions options;
};

// Turns the arguments (without the program name) into a job. Pictures are
// listed in argument order; a folder adds its .jpg/.jpeg files in name order.
ParseResult parseArguments(const QStringList& args);

QString helpText();

}  // namespace pixolane::cli
