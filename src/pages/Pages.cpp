#include "pages/Pages.h"

namespace pixolane::pages {

namespace {

// The lines of a page, in order; each ends with CR LF in the file.
class PageText {
 public:
  void line(const QString& text = QString()) {
    text_ += text;
    text_ += QLatin1String("\r\n");
  }
  QByteArray bytes() const { return toAsciiText(text_); }

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

QString escapeUrl(const QString& path) {
  // Percent-encoded from the name's UTF-8 bytes, as the file system stores it:
  // every byte outside printable ASCII, the blank, "#", "?" and "%" (which
  // would start a fragment, a query or an escape) and the backslash (which browsers read
  // as "/"). Browsers and servers resolve the result to the file whatever
  // charset the page is read in.
  const QByteArray utf8 = path.toUtf8();
  QString encoded;
  encoded.reserve(utf8.size());
  for (const char ch : utf8) {
    const auto b = static_cast<unsigned char>(ch);
    if (b <= 0x20 || b >= 0x7F || b == '#' || b == '%' || b == '?' || b == '\\') {
      encoded += QLatin1Char('%');
      encoded += QString::number(b, 16).toUpper().rightJustified(2, QLatin1Char('0'));
    } else {
      encoded += QLatin1Char(char(b));
    }
  }
  return escapeText(encoded);
}

QByteArray toAsciiText(const QString& text) {
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
    if (cp < 0x80) {
      out += char(cp);
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
