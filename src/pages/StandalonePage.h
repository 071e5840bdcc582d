#pragma once
// The standalone page: `<page>.html` beside the gallery page, a whole HTML5
// document that shows the gallery by itself, from disk or from any web
// server, on a phone as on a wide screen. UTF-8, nothing fetched: its style
// and its little viewer are inline.
#include <QByteArray>
#include <QDate>
#include <QString>

#include <vector>

#include "pages/Pages.h"

namespace pixolane::pages {

// A thumbnail of the standalone page, with what only that page shows.
struct StandaloneCell : Cell {
  QString webFileName;  // the high-density thumbnail beside it; empty for none
  int webWidth = 0;     // its width in pixels
  QString caption;      // the photograph's own; empty: the file name stands in
  QDate taken;          // the day it was taken, when known
};

struct StandalonePageData {
  QString title;     // Text5; the page name stands in when it is empty
  QString pageName;  // Text4: the folders "pic" + name and "mini" + name
  int Check5 = 0;    // not 0: captions (or names) under the thumbnails
  std::vector<StandaloneCell> cells;
};

// "12 juillet 2024", "1er mai 2023": a date as a French reader writes it.
QString frenchDate(const QDate& date);

// The generator line that marks a document as this program's.
QByteArray standaloneMarker();

QByteArray standalonePage(const StandalonePageData& data);

}  // namespace pixolane::pages
