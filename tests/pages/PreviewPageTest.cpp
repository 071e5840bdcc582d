#include <gtest/gtest.h>

#include "pages/PageTestSupport.h"
#include "pages/Pages.h"

namespace pixolane::pages {
namespace {

PreviewPageData twoPictures() {
  PreviewPageData d;
  d.title = QStringLiteral("Noël 2006");
  d.Check5 = 1;
  d.bordure = 2;
  d.perRow = 1;
  d.cells = {{QStringLiteral("a.jpg"), 100, 74}, {QStringLiteral("b.jpg"), 74, 100}};
  return d;
}

TEST(PreviewPage, WholePage) {
  const QByteArray expected =
      "<html>\r\n"
      "\r\n"
      "<head>\r\n"
      "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=windows-1252\">\r\n"
      "<meta name=\"generator\" content= Tavrin >\r\n"
      "<title>No&#235;l 2006</title>\r\n"
      "\r\n"
      "</head>\r\n"
      "<body>\r\n"
      "<p align=\"center\"><i><b><font size=\"6\">No&#235;l 2006</font></b></i></p>\r\n"
      "<p align=\"; Left; \">&nbsp;</p>\r\n"
      "\r\n"
      "<div align=\"centerstyle=\"width: 888 height: 208\">\r\n"
      " <center>\r\n"
      "\r\n"
      "<table border=\"0\" cellpadding=\"5\" cellspacing=\"5\" style=\"border-collapse: "
      "collapse\" bordercolor=\"#111111\" width=\"501\" id=\"AutoNumber1\" height=\"210\">\r\n"
      " <tr>\r\n"
      "\r\n"
      "     <td width=\"128\" align=\"center\" height=\"70\">\r\n"
      "     <img border=\"2\" src=\"a.jpg\" xthumbnail-orig-image=\"image3(31).JPG\" "
      "width=\"100\" height=\"74\"></a><p>a.jpg</td>\r\n"
      "\r\n"
      " </tr>\r\n"
      "<tr>\r\n"
      "     <td width=\"128\" align=\"center\" height=\"70\">\r\n"
      "     <img border=\"2\" src=\"b.jpg\" xthumbnail-orig-image=\"image3(31).JPG\" "
      "width=\"74\" height=\"100\"></a><p>b.jpg</td>\r\n"
      "\r\n"
      " </tr>\r\n"
      "<tr>\r\n"
      "</tr>\r\n"
      "     </table>\r\n"
      "\r\n"
      "\r\n"
      "</body>\r\n"
      "\r\n"
      "</html>\r\n"
      "<p align=\"center\"><font size=\"1\">Galerie cr&#233;&#233;"
      "e avec Pixolane</font></p>\r\n";
  EXPECT_EQ(previewPage(twoPictures()), expected);
}

TEST(PreviewPage, WithoutNamesTheCellEndsAfterTheImage) {
  PreviewPageData d = twoPictures();
  d.Check5 = 0;
  const std::vector<QByteArray> all = lines(previewPage(d));
  EXPECT_EQ(all.at(19),
            "     <img border=\"2\" src=\"a.jpg\" xthumbnail-orig-image=\"image3(31).JPG\" "
            "width=\"100\" height=\"74\"></a></td>");
}

TEST(PreviewPage, EmptyTitle) {
  PreviewPageData d = twoPictures();
  d.title.clear();
  const std::vector<QByteArray> all = lines(previewPage(d));
  EXPECT_EQ(all.at(5), "<title></title>");
  EXPECT_EQ(all.at(9), "<p align=\"center\"><i><b><font size=\"6\"></font></b></i></p>");
}

TEST(PreviewPage, TitleAndNamesEscaped) {
  PreviewPageData d = twoPictures();
  d.title = QString::fromUtf8("<Été> \"日\" & co");
  d.cells = {{QStringLiteral("x#<1>.jpg"), 100, 74}};
  const std::vector<QByteArray> all = lines(previewPage(d));
  EXPECT_EQ(all.at(5), "<title>&lt;&#201;t&#233;&gt; &quot;&#26085;&quot; &amp; co</title>");
  EXPECT_EQ(
      all.at(19),
      "     <img border=\"2\" src=\"x%23&lt;1&gt;.jpg\" xthumbnail-orig-image=\"image3(31).JPG\" "
      "width=\"100\" height=\"74\"></a><p>x#&lt;1&gt;.jpg</td>");
}

TEST(PreviewPage, EmptyListStillAWholePage) {
  PreviewPageData d = twoPictures();
  d.cells.clear();
  const std::vector<QByteArray> all = lines(previewPage(d));
  ASSERT_EQ(all.size(), 26u);  // S1..S18, T1..T7, footer
  EXPECT_EQ(all.at(17), QByteArray());
  EXPECT_EQ(all.at(18), "</tr>");
}

// Both pages share the row countdown: the first row holds the per-row count,
// every later row one; a count of 0 or less never breaks a row.
TEST(PageRowCountdown, BothPages) {
  struct Case {
    int perRow;
    int pictures;
    std::string shape;
  };
  const std::vector<Case> cases = {
      {1, 5, "c|c|c|c|c|"}, {2, 5, "cc|c|c|c|"}, {3, 5, "ccc|c|c|"}, {5, 5, "ccccc|"},
      {6, 5, "ccccc"},      {0, 5, "ccccc"},     {-1, 5, "ccccc"},   {1, 0, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "perRow=" << c.perRow << " pictures=" << c.pictures);
    GalleryPageData g;
    g.pageName = QStringLiteral("p");
    g.perRow = c.perRow;
    PreviewPageData p;
    p.perRow = c.perRow;
    for (int i = 0; i < c.pictures; ++i) {
      const Cell cell{QStringLiteral("%1.jpg").arg(i), 10, 10};
      g.cells.push_back(cell);
      p.cells.push_back(cell);
    }
    EXPECT_EQ(rowShape(galleryPage(g)), c.shape);
    EXPECT_EQ(rowShape(previewPage(p)), c.shape);
  }
}

// A full row is followed by a row break, so the table ends with an empty row.
TEST(PageRowCountdown, FullRowEndsWithEmptyRow) {
  GalleryPageData g;
  g.perRow = 3;
  g.cells.assign(5, Cell{QStringLiteral("a.jpg"), 10, 10});
  const std::vector<QByteArray> all = lines(galleryPage(g));
  const std::size_t n = all.size();
  EXPECT_EQ(all.at(n - 6), " </tr>");
  EXPECT_EQ(all.at(n - 5), "<tr>");
  EXPECT_EQ(all.at(n - 4), "</tr>");
  EXPECT_EQ(all.at(n - 3), "     </table>");
}

// Both pages are plain ASCII whatever the names, title and site folders hold.
TEST(PageEncoding, NoByteAboveAscii) {
  const QString odd =
      QString::fromUtf8("Noël € Œ 日 \xF0\x9F\x98\x80 ") + QChar(0x81) + QChar(0xD800);
  GalleryPageData g;
  g.pageName = odd;
  g.sitePath = {odd, odd, odd, QString(), QString()};
  g.Check5 = 1;
  g.cells = {{odd + QStringLiteral(".jpg"), 10, 10}};
  PreviewPageData p;
  p.title = odd;
  p.Check5 = 1;
  p.cells = g.cells;
  for (const QByteArray& page : {galleryPage(g), previewPage(p), galleryPage(GalleryPageData{})}) {
    for (const char c : page) {
      ASSERT_EQ(c & 0x80, 0) << page.constData();
    }
  }
  // C1 controls are references too; a lone surrogate stands for nothing.
  EXPECT_EQ(toAsciiText(QString(QChar(0x81))), "&#129;");
  EXPECT_EQ(toAsciiText(QString(QChar(0xD800)) + u'a'), "&#65533;a");
}

}  // namespace
}  // namespace pixolane::pages
