#pragma once
// The checks made before a run starts, and the site folder extraction of the
// destination button. Pure functions: the window and the terminal share them.
#include <QChar>
#include <QString>

#include <array>
#include <optional>

#include "imaging/Limits.h"
#include "job/GalleryJob.h"
#include "platform/Platform.h"

namespace pixolane::job {

// Which box a refused launch points the user at.
enum class LaunchField { None, PageName, Destination, List, CustomWidth, CustomHeight };

struct LaunchCheck {
  bool ok = true;
  QString message;  // the French message to show when !ok
  LaunchField field = LaunchField::None;
};

// The create button's checks, in order: page name (not blank, and a plain file
// name), destination, list, and with "Personnalisé" a custom size of 1..65500
// pixels per side that the imaging road can draw. When all pass and Option6 is
// set, the job's target size is taken from Text1 x Text2.
LaunchCheck checkLaunch(GalleryJob& job);

// The refusal of an empty processing list, shared by the launch check, the
// terminal's preview and the compression preview.
QString noPicturesMessage();

constexpr int kMaxCustomSide = imaging::kMaxSide;

// The site folder boxes filled from a destination folder (the part after
// "Nouveau site" and its separator, one folder per box). Boxes the extraction
// does not reach keep their text; a path too short to hold a first folder
// name leaves them all unchanged.
std::array<QString, 5> extractSiteFolders(const QString& destination,
                                          const std::array<QString, 5>& current,
                                          QChar sep = platform::nativeSeparator());

// The border box's typed text: a whole number 0..99, or nothing.
std::optional<int> parseBorder(const QString& text);

}  // namespace pixolane::job
