#include "reading/LinkAddress.h"

#include <gtest/gtest.h>

namespace sonavia::reading {
namespace {

TEST(LinkAddress, TheSchemeIsWhatComesBeforeTheFirstColonInSmallLetters) {
  struct Case {
    const char* address;
    const char* scheme;
  } const cases[] = {
      {"http://h.cat/a", "http"},
      {"HTTPS://H.CAT/", "https"},
      {"File:///tmp/a.htm", "file"},
      {"view-source:http://h/", "view-source"},
      {"chrome-error://x", "chrome-error"},
      {"coap+tcp.x:y", "coap+tcp.x"},
      {"javascript:alert(1)", "javascript"},
      {"mailto:a@b.cat", "mailto"},
      {"a.htm", ""},
      {"/abs/a.htm", ""},
      {"../a:b.htm", ""},
      {"1http://h/", ""},
      {" http://h/", ""},
      {"http", ""},
      {":x", ""},
      {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(AddressScheme(c.address), c.scheme) << c.address;
}

TEST(LinkAddress, WebPagesFromAnywhereLocalFilesOnlyFromLocalPagesNothingElse) {
  const char* const web = "http://127.0.0.1:8000/Dir/Index.htm?x=1";
  const char* const local = "file:///home/anna/Web/index.htm";
  struct Case {
    const char* target;
    bool fromWeb, fromLocal;
  } const cases[] = {
      {"http://h.cat/a", true, true},
      {"HTTPS://h.cat/a", true, true},
      {"file:///etc/passwd", false, true},
      {"FILE:///home/anna/", false, true},
      {"view-source:http://h.cat/", false, false},
      {"view-source:file:///etc/passwd", false, false},
      {"chrome://settings", false, false},
      {"qrc:/page/shared.js", false, false},
      {"about:blank", false, false},
      {"javascript:alert(1)", false, false},
      {"mailto:a@b.cat", false, false},
      {"tel:+34930000000", false, false},
      {"data:text/html,<p>x</p>", false, false},
      {"blob:http://h.cat/1234", false, false},
      {"ftp://h.cat/f", false, false},
      {"fitxer.htm", false, false},
      {"", false, false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(MayFollowLink(web, c.target), c.fromWeb) << c.target << " from a web page";
    EXPECT_EQ(MayFollowLink(local, c.target), c.fromLocal) << c.target << " from a local page";
  }
  // A page that is neither: what it holds is not local.
  EXPECT_FALSE(MayFollowLink("data:text/html,<a href=x>x</a>", "file:///etc/passwd"));
  EXPECT_FALSE(MayFollowLink("about:blank", "file:///etc/passwd"));
  EXPECT_FALSE(MayFollowLink("", "file:///etc/passwd"));
  EXPECT_TRUE(MayFollowLink("FILE:///w/index.htm", "file:///w/a.htm"));
}

}  // namespace
}  // namespace sonavia::reading
