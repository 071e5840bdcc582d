#pragma once
// The file that gives the source picker its start-up drive and folder: two
// lines, the folder then the drive, each ended by CR LF.
#include <QString>

#include <functional>

namespace pixolane::job {

struct SavedLocation {
  QString folder;
  QString drive;
  friend bool operator==(const SavedLocation&, const SavedLocation&) = default;
};

// How the restore asks the system about drives and folders; tests replace it.
struct LocationProbe {
  std::function<bool(const QString& drive)> driveReady;
  std::function<bool(const QString& folder)> folderExists;
  static LocationProbe system();
};

// Reads the file; when it is missing, short, or names an absent drive or
// folder, answers the default location and rewrites the file with it. A file
// that cannot be written is not an error: the default location still holds.
SavedLocation restoreSavedLocation(const QString& file, const LocationProbe& probe);

// The same with the per-user file and the real system.
SavedLocation restoreSavedLocation();

}  // namespace pixolane::job
