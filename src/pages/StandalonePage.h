#pragma once
// The standalone page: `<page>.html` beside the gallery page, a whole HTML5
// document that shows the gallery by itself, from disk or from any web
// server, on a phone as on a wide screen. UTF-8, nothing fetched: its style
// and its little viewer are inline.
#include <QByteArray>
#include <QString>

#include <vector>

#include "pages/Pages.h"

namespace pixolane::pages {

struct StandalonePageData {
  QString title;     // Text5; the page name stands in when it is empty
  QString pageName;  // Text4: the folders "pic" + name and "mini" + name
  int Check5 = 0;    // not 0: file names under the thumbnails
  std::vector<Cell> cells;
};

// The generator line that marks a document as this program's.
QByteArray standaloneMarker();

QByteArray standalonePage(const StandalonePageData& data);

}  // namespace pixolane::pages
