#include <gtest/gtest.h>

#include "pages/StandalonePage.h"

namespace pixolane::pages {
namespace {

StandalonePageData beach() {
  StandalonePageData d;
  d.title = QStringLiteral("Noël <à> la plage & \"co\"");
  d.pageName = QStringLiteral("noel");
  d.cells = {{QStringLiteral("a.jpg"), 100, 74},
             {QStringLiteral("02 été.jpg"), 74, 100},
             {QStringLiteral("n°#3 & co?.d.JPG"), 100, 65}};
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
  EXPECT_TRUE(page.contains("<h1>" + title + "</h1>\n"));
  // Links relative and percent-encoded from UTF-8; the alt text is the name
  // without its extension; the grid's columns fit the widest thumbnail.
  const QByteArray cells =
      "<ul class=\"galerie\">\n"
      "<li><a href=\"picnoel/a.jpg\"><img src=\"mininoel/a.jpg\" alt=\"a\" width=\"100\" "
      "height=\"74\" loading=\"lazy\" decoding=\"async\"></a></li>\n"
      "<li><a href=\"picnoel/02%20%C3%A9t%C3%A9.jpg\"><img src=\"mininoel/02%20%C3%A9t%C3%A9.jpg\" "
      "alt=\"02 \xC3\xA9t\xC3\xA9\" width=\"74\" height=\"100\" loading=\"lazy\" "
      "decoding=\"async\"></a></li>\n"
      "<li><a href=\"picnoel/n%C2%B0%233%20&amp;%20co%3F.d.JPG\"><img "
      "src=\"mininoel/n%C2%B0%233%20&amp;%20co%3F.d.JPG\" alt=\"n\xC2\xB0#3 &amp; co?.d\" "
      "width=\"100\" height=\"65\" loading=\"lazy\" decoding=\"async\"></a></li>\n"
      "</ul>\n";
  EXPECT_TRUE(page.contains(cells)) << page.constData();
  EXPECT_TRUE(page.contains("minmax(min(100%,112px),1fr)"));
  EXPECT_TRUE(page.endsWith("</script>\n</body>\n</html>\n"));
  EXPECT_FALSE(page.contains("class=\"nom\""));

  d.Check5 = 2;  // any value but 0 shows the names
  d.title = QStringLiteral("  ");
  d.pageName = QStringLiteral("x:y");  // a colon would read as a scheme
  const QByteArray named = standalonePage(d);
  EXPECT_TRUE(named.contains("<title>x:y</title>"));
  EXPECT_TRUE(named.contains(
      "<li><a href=\"./picx:y/a.jpg\"><img src=\"./minix:y/a.jpg\" alt=\"a\" width=\"100\" "
      "height=\"74\" loading=\"lazy\" decoding=\"async\"></a><span "
      "class=\"nom\">a.jpg</span></li>"));
  EXPECT_TRUE(named.contains("<span class=\"nom\">n\xC2\xB0#3 &amp; co?.d.JPG</span>"));
}

}  // namespace
}  // namespace pixolane::pages
