#pragma once
// Where a run puts its files: the photos and thumbnails folders named after the
// page, output pictures named after their sources.
#include <QChar>
#include <QString>

#include "platform/Platform.h"

namespace pixolane::run {

// The file name part of a path: everything after the last separator.
QString NomPic(const QString& path, QChar sep = platform::nativeSeparator());

// A destination folder with its final separator (an empty one stays empty).
QString withFinalSeparator(const QString& folder, QChar sep = platform::nativeSeparator());

struct OutputLayout {
  QString photosFolder;      // D + "pic" + N
  QString thumbnailsFolder;  // D + "mini" + N
  QString page;              // D + N + ".php"
  QString document;          // D + N + ".html"
  QString photoOf(const QString& source) const;
  QString thumbnailOf(const QString& source) const;
  QChar sep;
};

// D is the destination folder (a final separator is added when missing),
// N the page name.
OutputLayout outputLayout(const QString& destination, const QString& pageName,
                          QChar sep = platform::nativeSeparator());

}  // namespace pixolane::run
