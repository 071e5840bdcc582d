#pragma once
// The caption a photographer wrote into a photograph, and the day it was
// taken, read from the JPEG's metadata segments (never the picture data, never
// its GPS position). Input may be anything: every length is checked against
// the bytes given, so a damaged or hostile header gives "no caption".
#include <QByteArray>
#include <QDate>
#include <QString>

namespace pixolane::imaging {

struct PhotoCaption {
  QString text;  // trimmed; empty when the photograph has none
  QDate taken;   // the EXIF date taken; invalid when unknown
};

// Longest caption kept, in characters; a longer one is cut there.
constexpr qsizetype kCaptionMaxChars = 2000;

// Reads the caption from the first of XMP dc:description (the x-default
// language first), IPTC Caption-Abstract and EXIF ImageDescription that holds
// one, and the date from EXIF DateTimeOriginal. `jpegHeader` is a JPEG file's
// start, from its SOI marker (the whole file will do; the walk stops at the
// first scan). Text that is not valid UTF-8 is read as Latin-1. Cameras'
// placeholder descriptions ("OLYMPUS DIGITAL CAMERA") are not captions.
PhotoCaption readCaption(const QByteArray& jpegHeader);

// The start of a JPEG file up to its first scan, at most `limit` bytes: what
// `readCaption` needs. Empty when the file cannot be read.
QByteArray readMetadataHead(const QString& path, qsizetype limit = qsizetype(1) << 20);

}  // namespace pixolane::imaging
