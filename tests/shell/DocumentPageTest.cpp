// A PDF's text made a page: its paragraphs, a heading for each page, its
// own marks kept as text, and a document without text said to be so.
#include "shell/DocumentPage.h"

#include <gtest/gtest.h>

namespace sonavia::shell {
namespace {

TEST(DocumentPage, ParagraphsUnderAHeadingForEachPage) {
  const std::string head =
      "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>Acta</title></head><body>";
  const struct {
    std::vector<std::string> pages;
    std::string body;
  } cases[] = {
      {{"Primera línia\r\nsegona línia.\r\n\r\nAltre paràgraf."},
       "<p>Primera línia segona línia.</p><p>Altre paràgraf.</p>"},
      {{"U.", "", "  \n\n", "Tres <b> & \"cometes\""},
       "<h2>Pàgina 1</h2><p>U.</p><h2>Pàgina 4</h2><p>Tres &lt;b&gt; &amp; "
       "&quot;cometes&quot;</p>"},
      {{}, "<p>Aquest document no té text per llegir; potser és una imatge escanejada.</p>"},
      {{"", " \n"},
       "<p>Aquest document no té text per llegir; potser és una imatge escanejada.</p>"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(DocumentPageHtml("Acta", c.pages), head + c.body + "</body></html>");
  }
  EXPECT_NE(DocumentPageHtml("<script>", {}).find("<title>&lt;script&gt;</title>"),
            std::string::npos);
}

TEST(DocumentPage, AHugeDocumentIsCutAtAPageEnd) {
  const std::vector<std::string> pages(50, std::string(100000, 'a'));
  const std::string html = DocumentPageHtml("Gran", pages);
  EXPECT_LT(html.size(), kLongestDocumentText + 200000);
  EXPECT_NE(html.find("Pàgina 10<"), std::string::npos);
  EXPECT_EQ(html.find("Pàgina 12<"), std::string::npos);
}

}  // namespace
}  // namespace sonavia::shell
