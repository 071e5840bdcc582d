#pragma once
// The two page writers: the gallery page (an HTML fragment in a ".php" file)
// and the preview page. Both produce the exact bytes of the file: plain ASCII
// (so they read the same in Windows-1252, UTF-8 or whatever a server
// declares), no byte-order mark, CR LF after every line.
#include <QByteArray>
#include <QString>

#include <array>
#include <vector>

namespace pixolane::pages {

// One laid-out thumbnail: its file name and its measured pixel size.
struct Cell {
  QString fileName;
  int width = 0;
  int height = 0;
};

// What both pages lay out the same way.
struct Layout {
  int Check5 = 0;   // not 0: file names under the thumbnails
  int bordure = 2;  // Bordure
  int perRow = 1;   // CompteurColonnes as loaded from Combo1
  std::vector<Cell> cells;
};

struct GalleryPageData : Layout {
  QString pageName;                 // Text4
  std::array<QString, 5> sitePath;  // Text6(0..4); boxes 1..4 make the prefix
  int Check6 = 0;                   // 1: links open a new window
};

struct PreviewPageData : Layout {
  QString title;  // Text5
};

// The relative folder path put before "pic"/"mini": boxes 1..4, each followed
// by "/", stopping at the first empty box.
QString sitePrefix(const std::array<QString, 5>& sitePath);

QByteArray galleryPage(const GalleryPageData& data);
QByteArray previewPage(const PreviewPageData& data);

// The one footer line of both pages.
QString footerLine();

// Text as ASCII bytes; every character outside ASCII becomes a numeric
// character reference ("&#233;", the code point for characters beyond the
// basic plane). No line ends are added.
QByteArray toAsciiText(const QString& text);

// A value placed in an attribute or between tags, with "&", quotes and angle
// brackets as entities and control characters as numeric references.
QString escapeText(const QString& value);

// A relative path for href or src: percent-encoded from its UTF-8 bytes
// (everything outside printable ASCII, the blank, "#", "?", "%" and the backslash), then
// escaped as attribute text.
QString escapeUrl(const QString& path);

}  // namespace pixolane::pages
