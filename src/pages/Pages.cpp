#include "pages/Pages.h"

namespace pixolane::pages {

namespace {

// Code points of the bytes 0x80..0x9F in Windows-1252; 0 marks the five unused
// bytes. 0xA0..0xFF are the Latin-1 code points themselves.
constexpr char32_t kCodePoints80To9F[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 80-87
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,       // 88-8F
    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90-97
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,  // 98-9F
};

// The byte for a code point, or -1 when Windows-1252 has none.
int windows1252Byte(char32_t cp) {
  if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) {
    return int(cp);
  }
  for (int i = 0; i < 32; ++i) {
    if (kCodePoints80To9F[i] != 0 && kCodePoints80To9F[i] == cp) {
      return 0x80 + i;
    }
  }
  return -1;
}

// Text placed in an attribute or between tags: the characters that would end
// the attribute, open a tag or start a character reference become entities, so
// every name reads back exactly ("R&amp;D.jpg" stays that name). Control characters would
// break the line structure of the file (a newline is a legal file-name
// character on some systems), so they become numeric references.
QString escapeText(const QString& value) {
  QString out;
  out.reserve(value.size());
  for (QChar c : value) {
    switch (c.unicode()) {
      case '&':
        out += QLatin1String("&amp;");
        break;
      case '"':
        out += QLatin1String("&quot;");
        break;
      case '<':
        out += QLatin1String("&lt;");
        break;
      case '>':
        out += QLatin1String("&gt;");
        break;
      default:
        if (c.unicode() < 0x20 && c != u'\t') {
          out += QStringLiteral("&#%1;").arg(c.unicode());
        } else {
          out += c;
        }
    }
  }
  return out;
}

// A relative path put in href or src. "#", "?" and "%" would be read as the
// start of a fragment, a query or an escape, so the picture would not be found;
// control characters are dropped by URL parsers. Everything else (blanks,
// accents) is left as the browser resolves it correctly; ampersands become
// entities with the rest of the attribute text.
QString escapeUrl(const QString& path) {
  QString encoded;
  encoded.reserve(path.size());
  for (QChar c : path) {
    const char16_t u = c.unicode();
    if (u == '#' || u == '%' || u == '?' || u < 0x20) {
      encoded += QLatin1Char('%');
      encoded += QString::number(u, 16).toUpper().rightJustified(2, QLatin1Char('0'));
    } else {
      encoded += c;
    }
  }
  return escapeText(encoded);
}

// The lines of a page, in order; each ends with CR LF in the file.
class PageText {
 public:
  void line(const QString& text = QString()) {
    text_ += text;
    text_ += QLatin1String("\r\n");
  }
  QByteArray bytes() const { return toWindows1252(text_); }

 private:
  QString text_;
};

QString num(long long n) {
  return QString::number(n);
}

// The row countdown shared by both pages: the first row holds perRow cells,
// every later row one. A count of 0 or less never reaches 0.
class RowCountdown {
 public:
  explicit RowCountdown(int perRow) : count_(perRow) {}
  // Counts one cell; true when a row break follows it.
  bool cellWritten() {
    --count_;
    if (count_ == 0) {
      count_ = 1;
      return true;
    }
    return false;
  }

 private:
  long long count_;
};

const QString kReturnLink = QStringLiteral(
    "<div align=\"center\"><a href=\"famille_index.php?choix=4\" title=\"Retour\" "
    "target=\"_top\">Retour</a></div>");
const QString kCellStart = QStringLiteral("<td width=\"128\" align=\"center\" height=\"70\">");

// The end of an img tag: size attributes, then either the bare end of the cell
// or the file name paragraph.
QString imgTail(const Cell& cell, bool showName) {
  QString s = QStringLiteral(" width=\"%1\" height=\"%2\"></a>").arg(cell.width).arg(cell.height);
  if (showName) {
    s += QStringLiteral("<p>") + escapeText(cell.fileName) + QStringLiteral("</td>");
  } else {
    s += QStringLiteral("</td>");
  }
  return s;
}

// The empty line after a cell, and the row break when the countdown says so.
void endCell(PageText& page, RowCountdown& countdown) {
  page.line();
  if (countdown.cellWritten()) {
    page.line(QStringLiteral(" </tr>"));
    page.line(QStringLiteral("<tr>"));
  }
}

void endTable(PageText& page) {
  page.line(QStringLiteral("</tr>"));
  page.line(QStringLiteral("     </table>"));
}

}  // namespace

QByteArray toWindows1252(const QString& text) {
  QByteArray out;
  out.reserve(text.size());
  const qsizetype n = text.size();
  for (qsizetype i = 0; i < n; ++i) {
    char32_t cp = text.at(i).unicode();
    if (QChar::isHighSurrogate(cp) && i + 1 < n && text.at(i + 1).isLowSurrogate()) {
      cp = QChar::surrogateToUcs4(text.at(i).unicode(), text.at(i + 1).unicode());
      ++i;
    } else if (QChar::isSurrogate(cp)) {
      cp = 0xFFFD;  // a lone half of a pair stands for nothing
    }
    const int byte = windows1252Byte(cp);
    if (byte >= 0) {
      out += char(byte);
    } else {
      out += "&#" + QByteArray::number(quint32(cp)) + ';';
    }
  }
  return out;
}

QString sitePrefix(const std::array<QString, 5>& sitePath) {
  QString prefix;
  for (int i = 1; i <= 4; ++i) {
    if (sitePath[i].isEmpty()) {
      break;
    }
    prefix += sitePath[i] + QLatin1Char('/');
  }
  return prefix;
}

QString footerLine() {
  return QStringLiteral(
      "<p align=\"center\"><font size=\"1\">Galerie créée avec Pixolane</font></p>");
}

QByteArray galleryPage(const GalleryPageData& data) {
  const QString prefix = sitePrefix(data.sitePath);
  const bool showNames = data.Check5 != 0;
  const bool newWindow = data.Check6 == 1;
  const QString picFolder = QStringLiteral("pic") + data.pageName + QLatin1Char('/');
  const QString miniFolder = prefix + QStringLiteral("mini") + data.pageName + QLatin1Char('/');

  PageText page;
  page.line(kReturnLink);
  page.line(
      QStringLiteral("<table border=\"0\" cellpadding=\"5\" cellspacing=\"5\" width=\"150\">"));
  page.line(QStringLiteral(" <tr>"));
  page.line();

  RowCountdown countdown(data.perRow);
  for (const Cell& cell : data.cells) {
    if (newWindow) {
      // The new-window link goes without the site prefix.
      page.line(kCellStart);
      page.line(QStringLiteral("<a href=\"") + escapeUrl(picFolder + cell.fileName) +
                QStringLiteral("\" target= \"_blank\">"));
    } else {
      page.line(QStringLiteral("     ") + kCellStart + QStringLiteral("<a href=\"") +
                escapeUrl(prefix + picFolder + cell.fileName) +
                QStringLiteral("\" target=\"mainFrame\"> "));
    }
    page.line(QStringLiteral("     <img border=\"") + num(data.bordure) +
              QStringLiteral("\" src=\"") + escapeUrl(miniFolder + cell.fileName) +
              QLatin1Char('"') + imgTail(cell, showNames));
    endCell(page, countdown);
  }
  endTable(page);
  page.line(kReturnLink);
  page.line(footerLine());
  return page.bytes();
}

QByteArray previewPage(const PreviewPageData& data) {
  const bool showNames = data.Check5 != 0;
  const QString title = escapeText(data.title);

  PageText page;
  page.line(QStringLiteral("<html>"));
  page.line();
  page.line(QStringLiteral("<head>"));
  page.line(QStringLiteral(
      "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=windows-1252\">"));
  page.line(QStringLiteral("<meta name=\"generator\" content= Tavrin >"));
  page.line(QStringLiteral("<title>") + title + QStringLiteral("</title>"));
  page.line();
  page.line(QStringLiteral("</head>"));
  page.line(QStringLiteral("<body>"));
  page.line(QStringLiteral("<p align=\"center\"><i><b><font size=\"6\">") + title +
            QStringLiteral("</font></b></i></p>"));
  page.line(QStringLiteral("<p align=\"; Left; \">&nbsp;</p>"));
  page.line();
  // The missing quote after "center" is how the page has always been written.
  page.line(QStringLiteral("<div align=\"centerstyle=\"width: 888 height: 208\">"));
  page.line(QStringLiteral(" <center>"));
  page.line();
  page.line(QStringLiteral(
      "<table border=\"0\" cellpadding=\"5\" cellspacing=\"5\" style=\"border-collapse: "
      "collapse\" bordercolor=\"#111111\" width=\"501\" id=\"AutoNumber1\" height=\"210\">"));
  page.line(QStringLiteral(" <tr>"));
  page.line();

  RowCountdown countdown(data.perRow);
  for (const Cell& cell : data.cells) {
    page.line(QStringLiteral("     ") + kCellStart);
    page.line(QStringLiteral("     <img border=\"") + num(data.bordure) +
              QStringLiteral("\" src=\"") + escapeUrl(cell.fileName) +
              QStringLiteral("\" xthumbnail-orig-image=\"image3(31).JPG\"") +
              imgTail(cell, showNames));
    endCell(page, countdown);
  }
  endTable(page);
  page.line();
  page.line();
  page.line(QStringLiteral("</body>"));
  page.line();
  page.line(QStringLiteral("</html>"));
  page.line(footerLine());
  return page.bytes();
}

}  // namespace pixolane::pages
