#include <gtest/gtest.h>

#include "pages/PageTestSupport.h"
#include "pages/Pages.h"

namespace pixolane::pages {
namespace {

GalleryPageData noelJob() {
  GalleryPageData d;
  d.pageName = QStringLiteral("noel");
  d.sitePath = {QStringLiteral("site"), QStringLiteral("galerie"), QString(), QString(), QString()};
  d.bordure = 1;
  d.perRow = 1;
  d.cells = {{QStringLiteral("a.jpg"), 100, 74},
             {QStringLiteral("b.jpg"), 74, 100},
             {QStringLiteral("c.jpg"), 100, 65}};
  return d;
}

TEST(GalleryPage, ThreePicturesInTheirOwnRows) {
  const QByteArray expected =
      "<div align=\"center\"><a href=\"famille_index.php?choix=4\" title=\"Retour\" "
      "target=\"_top\">Retour</a></div>\r\n"
      "<table border=\"0\" cellpadding=\"5\" cellspacing=\"5\" width=\"150\">\r\n"
      " <tr>\r\n"
      "\r\n"
      "     <td width=\"128\" align=\"center\" height=\"70\"><a href=\"galerie/picnoel/a.jpg\" "
      "target=\"mainFrame\"> \r\n"
      "     <img border=\"1\" src=\"galerie/mininoel/a.jpg\" width=\"100\" "
      "height=\"74\"></a></td>\r\n"
      "\r\n"
      " </tr>\r\n"
      "<tr>\r\n"
      "     <td width=\"128\" align=\"center\" height=\"70\"><a href=\"galerie/picnoel/b.jpg\" "
      "target=\"mainFrame\"> \r\n"
      "     <img border=\"1\" src=\"galerie/mininoel/b.jpg\" width=\"74\" "
      "height=\"100\"></a></td>\r\n"
      "\r\n"
      " </tr>\r\n"
      "<tr>\r\n"
      "     <td width=\"128\" align=\"center\" height=\"70\"><a href=\"galerie/picnoel/c.jpg\" "
      "target=\"mainFrame\"> \r\n"
      "     <img border=\"1\" src=\"galerie/mininoel/c.jpg\" width=\"100\" "
      "height=\"65\"></a></td>\r\n"
      "\r\n"
      " </tr>\r\n"
      "<tr>\r\n"
      "</tr>\r\n"
      "     </table>\r\n"
      "<div align=\"center\"><a href=\"famille_index.php?choix=4\" title=\"Retour\" "
      "target=\"_top\">Retour</a></div>\r\n"
      "<p align=\"center\"><font size=\"1\">Galerie cr&#233;&#233;e avec "
      "Pixolane</font></p>\r\n";
  const QByteArray page = galleryPage(noelJob());
  EXPECT_EQ(page, expected);
  EXPECT_EQ(lines(page).size(), 23);
}

TEST(GalleryPage, EmptyListGivesEightLines) {
  GalleryPageData d = noelJob();
  d.cells.clear();
  const QByteArray expected =
      "<div align=\"center\"><a href=\"famille_index.php?choix=4\" title=\"Retour\" "
      "target=\"_top\">Retour</a></div>\r\n"
      "<table border=\"0\" cellpadding=\"5\" cellspacing=\"5\" width=\"150\">\r\n"
      " <tr>\r\n"
      "\r\n"
      "</tr>\r\n"
      "     </table>\r\n"
      "<div align=\"center\"><a href=\"famille_index.php?choix=4\" title=\"Retour\" "
      "target=\"_top\">Retour</a></div>\r\n"
      "<p align=\"center\"><font size=\"1\">Galerie cr&#233;&#233;e avec "
      "Pixolane</font></p>\r\n";
  EXPECT_EQ(galleryPage(d), expected);
}

TEST(GalleryPage, LinkFormsAndNameParagraph) {
  struct Case {
    int check5;
    int check6;
    std::vector<QByteArray> cellLines;
  };
  const std::vector<Case> cases = {
      {0,
       0,
       {"     <td width=\"128\" align=\"center\" height=\"70\"><a href=\"galerie/picnoel/a.jpg\" "
        "target=\"mainFrame\"> ",
        "     <img border=\"1\" src=\"galerie/mininoel/a.jpg\" width=\"100\" "
        "height=\"74\"></a></td>"}},
      // New window: the link has no site prefix, the thumbnail keeps it.
      {0,
       1,
       {"<td width=\"128\" align=\"center\" height=\"70\">",
        "<a href=\"picnoel/a.jpg\" target= \"_blank\">",
        "     <img border=\"1\" src=\"galerie/mininoel/a.jpg\" width=\"100\" "
        "height=\"74\"></a></td>"}},
      // Only 1 opens a new window; 2 is the site-frame form.
      {0,
       2,
       {"     <td width=\"128\" align=\"center\" height=\"70\"><a href=\"galerie/picnoel/a.jpg\" "
        "target=\"mainFrame\"> ",
        "     <img border=\"1\" src=\"galerie/mininoel/a.jpg\" width=\"100\" "
        "height=\"74\"></a></td>"}},
      {1,
       0,
       {"     <td width=\"128\" align=\"center\" height=\"70\"><a href=\"galerie/picnoel/a.jpg\" "
        "target=\"mainFrame\"> ",
        "     <img border=\"1\" src=\"galerie/mininoel/a.jpg\" width=\"100\" "
        "height=\"74\"></a><p>a.jpg</td>"}},
      // Any value but 0 shows the names.
      {2,
       1,
       {"<td width=\"128\" align=\"center\" height=\"70\">",
        "<a href=\"picnoel/a.jpg\" target= \"_blank\">",
        "     <img border=\"1\" src=\"galerie/mininoel/a.jpg\" width=\"100\" "
        "height=\"74\"></a><p>a.jpg</td>"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "Check5=" << c.check5 << " Check6=" << c.check6);
    GalleryPageData d = noelJob();
    d.Check5 = c.check5;
    d.Check6 = c.check6;
    d.cells.resize(1);
    const std::vector<QByteArray> all = lines(galleryPage(d));
    std::vector<QByteArray> cell(all.begin() + 4, all.begin() + 4 + c.cellLines.size());
    EXPECT_EQ(cell, c.cellLines);
    EXPECT_EQ(all.at(4 + c.cellLines.size()), QByteArray());  // the empty line after the cell
  }
}

TEST(GalleryPage, SitePrefix) {
  struct Case {
    std::array<QString, 5> boxes;
    QString prefix;
  };
  const QString x = QStringLiteral("x");
  const std::vector<Case> cases = {
      {{}, QString()},
      // Box 0 is never part of the prefix.
      {{QStringLiteral("www"), QString(), x, x, x}, QString()},
      {{QString(), QStringLiteral("photos"), QStringLiteral("2006"), QString(), x},
       QStringLiteral("photos/2006/")},
      {{QString(), QStringLiteral("galerie"), QString(), x, x}, QStringLiteral("galerie/")},
      {{x, QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c"), QStringLiteral("d")},
       QStringLiteral("a/b/c/d/")},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(sitePrefix(c.boxes), c.prefix);
  }

  GalleryPageData d = noelJob();
  d.sitePath = {QString(), QString(), x, x, x};
  d.cells.resize(1);
  const std::vector<QByteArray> all = lines(galleryPage(d));
  EXPECT_TRUE(all.at(4).contains("<a href=\"picnoel/a.jpg\" target=\"mainFrame\">"));
  EXPECT_TRUE(all.at(5).contains(" src=\"mininoel/a.jpg\""));
}

TEST(GalleryPage, NamesWrittenUnchangedOrEscapedWhereNeeded) {
  struct Case {
    QString fileName;
    QByteArray inUrl;   // as it stands in href and src
    QByteArray inText;  // as it stands in the name paragraph
  };
  const std::vector<Case> cases = {
      // Addresses are percent-encoded UTF-8 and text uses numeric references, so
      // the page is plain ASCII and reads the same whatever charset a server declares.
      {QStringLiteral("été & co 2.jpg"), "%C3%A9t%C3%A9%20&amp;%20co%202.jpg",
       "&#233;t&#233; &amp; co 2.jpg"},
      {QStringLiteral("02 été.jpg"), "02%20%C3%A9t%C3%A9.jpg", "02 &#233;t&#233;.jpg"},
      {QStringLiteral("R&amp;D.jpg"), "R&amp;amp;D.jpg", "R&amp;amp;D.jpg"},
      {QStringLiteral("x&copy.jpg"), "x&amp;copy.jpg", "x&amp;copy.jpg"},
      {QStringLiteral("a\"b<c>.jpg"), "a&quot;b&lt;c&gt;.jpg", "a&quot;b&lt;c&gt;.jpg"},
      {QStringLiteral("n#1 50% ok?.jpg"), "n%231%2050%25%20ok%3F.jpg", "n#1 50% ok?.jpg"},
      {QStringLiteral("<#>.jpg"), "&lt;%23&gt;.jpg", "&lt;#&gt;.jpg"},
      {QStringLiteral("a\\b.jpg"), "a%5Cb.jpg", "a\\b.jpg"},  // a browser reads a backslash as "/"
      {QString::fromUtf8("日本.jpg"), "%E6%97%A5%E6%9C%AC.jpg", "&#26085;&#26412;.jpg"},
      {QString::fromUtf8("\xF0\x9F\x98\x80.jpg"), "%F0%9F%98%80.jpg", "&#128512;.jpg"},
      {QString::fromUtf8("€ Œuvre.jpg"), "%E2%82%AC%20%C5%92uvre.jpg", "&#8364; &#338;uvre.jpg"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.fileName.toStdString());
    GalleryPageData d = noelJob();
    d.Check5 = 1;
    d.cells = {{c.fileName, 100, 74}};
    const std::vector<QByteArray> all = lines(galleryPage(d));
    ASSERT_EQ(all.size(), 13u);
    EXPECT_EQ(all.at(4),
              "     <td width=\"128\" align=\"center\" height=\"70\"><a href=\"galerie/picnoel/" +
                  c.inUrl + "\" target=\"mainFrame\"> ");
    EXPECT_EQ(all.at(5), "     <img border=\"1\" src=\"galerie/mininoel/" + c.inUrl +
                             "\" width=\"100\" height=\"74\"></a><p>" + c.inText + "</td>");
  }
}

TEST(GalleryPage, PageNameAndSegmentsEscapedInLinks) {
  GalleryPageData d = noelJob();
  d.Check6 = 1;
  d.pageName = QStringLiteral("Noël#1");
  d.sitePath = {QString(), QStringLiteral("a?b"), QStringLiteral("\"q\""), QString(), QString()};
  d.cells.resize(1);
  const std::vector<QByteArray> all = lines(galleryPage(d));
  EXPECT_EQ(all.at(5), "<a href=\"picNo%C3%ABl%231/a.jpg\" target= \"_blank\">");
  EXPECT_EQ(all.at(6),
            "     <img border=\"1\" src=\"a%3Fb/&quot;q&quot;/miniNo%C3%ABl%231/a.jpg\" "
            "width=\"100\" height=\"74\"></a></td>");
}

TEST(GalleryPage, LineBreakInFileNameKeepsLineStructure) {
  GalleryPageData d = noelJob();
  d.Check5 = 1;
  d.cells = {{QStringLiteral("a\r\nb.jpg"), 100, 74}};
  const std::vector<QByteArray> all = lines(galleryPage(d));
  ASSERT_EQ(all.size(), 13u);
  EXPECT_TRUE(all.at(5).contains("src=\"galerie/mininoel/a%0D%0Ab.jpg\""));
  EXPECT_TRUE(all.at(5).contains("<p>a&#13;&#10;b.jpg</td>"));
}

TEST(GalleryPage, NegativeNumbersAndBorder) {
  GalleryPageData d = noelJob();
  d.bordure = -3;
  d.cells = {{QStringLiteral("a.jpg"), 0, -1}};
  const std::vector<QByteArray> all = lines(galleryPage(d));
  EXPECT_EQ(all.at(5),
            "     <img border=\"-3\" src=\"galerie/mininoel/a.jpg\" width=\"0\" "
            "height=\"-1\"></a></td>");
}

}  // namespace
}  // namespace pixolane::pages
