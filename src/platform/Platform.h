#pragma once
// The thin layer between the program and the operating system: separators,
// per-user folders, the list of drives, and opening a document.
#include <QChar>
#include <QString>
#include <QStringList>

#include <functional>

namespace pixolane::platform {

// '\\' on Windows, '/' elsewhere.
QChar nativeSeparator();

// The folder with one final separator (an empty folder stays empty).
QString withFinalSeparator(const QString& folder, QChar sep = nativeSeparator());

// The system drive's root: "c:\\" on Windows, "/" elsewhere.
QString defaultLocation();

// Per-user file that remembers the source picker's start-up location.
QString savedLocationFile();

// Per-user folder shared by every preview, with a trailing separator.
QString previewFolder();

// Per-user folder that holds what the program keeps about one gallery (its
// record, what was published where), with a trailing separator. Never inside
// the destination, which is the web folder: one folder per destination and
// page name, named by a digest of both so that no local path shows in it.
// Not created here.
QString galleryDataFolder(const QString& destination, const QString& pageName);

// Drives as the source picker lists them: drive letters' roots on Windows,
// mounted volumes' roots elsewhere, "/" first.
QStringList drives();

// True when the drive's root can be listed.
bool driveReady(const QString& drive);

// True when the folder exists and is a folder.
bool folderExists(const QString& folder);

// Opens a document (or a folder) in the desktop's default handler; false when
// the opener could not be started.
bool openDocument(const QString& path);

// Tests replace the opener so that no real program is started; an empty
// function restores the desktop's one.
using DocumentOpener = std::function<bool(const QString& path)>;
void setDocumentOpener(DocumentOpener opener);

}  // namespace pixolane::platform
