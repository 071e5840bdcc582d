#include <gtest/gtest.h>

#include "pages/StandalonePage.h"

namespace pixolane::pages {
namespace {

StandalonePageData beach() {
  StandalonePageData d;
  d.title = QStringLiteral("Noël <à> la plage & \"co\"");
  d.pageName = QStringLiteral("noel");
  d.cells = {{{QStringLiteral("a.jpg"), 100, 74}},
             {{QStringLiteral("02 été.jpg"), 74, 100}},
             {{QStringLiteral("n°#3 & co?.d.JPG"), 100, 65}}};
  return d;
}

TEST(StandalonePage, DocumentTitleCellsAndNames) {
  StandalonePageData d = beach();
  const QByteArray page = standalonePage(d);
  EXPECT_TRUE(
      page.startsWith("<!DOCTYPE html>\n<html lang=\"fr\">\n<head>\n<meta charset=\"utf-8\">\n"
                      "<meta name=\"viewport\" content=\"width=device-width, "
                      "initial-scale=1\">\n"));
  EXPECT_TRUE(page.contains(standaloneMarker()));
  const QByteArray title = "No\xC3\xABl &lt;\xC3\xA0&gt; la plage &amp; &quot;co&quot;";
  EXPECT_TRUE(page.contains("<title>" + title + "</title>\n"));
  EXPECT_TRUE(page.contains("<meta name=\"description\" content=\"" + title +
                            " : galerie de 3 photos\">\n"));
  EXPECT_TRUE(page.contains("<header><h1>" + title + "</h1></header>\n<main>\n"));
  // Links relative and percent-encoded from UTF-8; without a caption the alt
  // text is the name without its extension; no high-density file, no srcset.
  const QByteArray cells =
      "<ul class=\"galerie\">\n"
      "<li><a href=\"picnoel/a.jpg\"><img src=\"mininoel/a.jpg\" alt=\"a\" width=\"100\" "
      "height=\"74\"></a></li>\n"
      "<li><a href=\"picnoel/02%20%C3%A9t%C3%A9.jpg\"><img src=\"mininoel/02%20%C3%A9t%C3%A9.jpg\" "
      "alt=\"02 \xC3\xA9t\xC3\xA9\" width=\"74\" height=\"100\"></a></li>\n"
      "<li><a href=\"picnoel/n%C2%B0%233%20&amp;%20co%3F.d.JPG\"><img "
      "src=\"mininoel/n%C2%B0%233%20&amp;%20co%3F.d.JPG\" alt=\"n\xC2\xB0#3 &amp; co?.d\" "
      "width=\"100\" height=\"65\"></a></li>\n"
      "</ul>\n</main>\n";
  EXPECT_TRUE(page.contains(cells)) << page.constData();
  // One card shape, the largest thumbnail's box; wider on a wide screen.
  EXPECT_TRUE(page.contains("--c:112px;"));
  EXPECT_TRUE(page.contains("--c:162px}"));
  EXPECT_TRUE(page.contains("aspect-ratio:100/100;object-fit:cover"));
  EXPECT_TRUE(page.endsWith("</script>\n</body>\n</html>\n"));
  EXPECT_FALSE(page.contains("class=\"nom\""));

  // A caption (escaped), a date, a high-density thumbnail (a comma would split
  // srcset), lazy loading past the first screenful, the names shown.
  d.Check5 = 2;  // any value but 0 shows the names
  d.title = QStringLiteral("  ");
  d.pageName = QStringLiteral("x:y");  // a colon would read as a scheme
  d.cells[0].caption = QStringLiteral("Vague <à> l'aube & co");
  d.cells[0].taken = QDate(2024, 7, 12);
  d.cells[0].webFileName = QStringLiteral("a,b.jpg@2x.jpg");
  d.cells[0].webWidth = 200;
  for (int i = 0; i < 6; ++i)
    d.cells.push_back({{QStringLiteral("z.jpg"), 10, 10}});
  const QByteArray named = standalonePage(d);
  EXPECT_TRUE(named.contains("<title>x:y</title>"));
  EXPECT_TRUE(named.contains(
      "<li><a href=\"./picx:y/a.jpg\" data-date=\"12 juillet 2024\"><img src=\"./minix:y/a.jpg\" "
      "srcset=\"./minix:y/a.jpg 100w, ./minix:y/a%2Cb.jpg@2x.jpg 200w\" "
      "sizes=\"(min-width:1200px) 180px, (min-width:700px) 133px, 50vw\" "
      "alt=\"Vague &lt;\xC3\xA0&gt; l'aube &amp; co\" width=\"100\" height=\"74\"></a><span "
      "class=\"nom\">Vague &lt;\xC3\xA0&gt; l'aube &amp; co</span></li>"))
      << named.constData();
  EXPECT_TRUE(named.contains("<span class=\"nom\">n\xC2\xB0#3 &amp; co?.d</span>"));
  EXPECT_EQ(named.count("loading=\"lazy\""), 1);
  EXPECT_TRUE(named.contains(" : galerie de 9 photos\">"));
}

TEST(StandalonePage, DatesInFrench) {
  EXPECT_EQ(frenchDate(QDate(2024, 7, 12)), "12 juillet 2024");
  EXPECT_EQ(frenchDate(QDate(2023, 2, 1)), QString::fromUtf8("1er février 2023"));
  EXPECT_EQ(frenchDate(QDate(1999, 12, 31)), QString::fromUtf8("31 décembre 1999"));
  EXPECT_EQ(frenchDate(QDate()), "");
}

}  // namespace
}  // namespace pixolane::pages
