#include "platform/FileAddress.h"

#include <gtest/gtest.h>

namespace sonavia::platform {
namespace {

TEST(FileAddress, EncodesWhatAnAddressWouldReadOtherwiseAndNothingElse) {
  struct Case {
    const char* path;
    const char* address;
  } const cases[] = {
      {"/home/u/index.htm", "file:///home/u/index.htm"},
      {"/home/u/dos #1.htm", "file:///home/u/dos %231.htm"},
      {"/tmp/100%?.htm", "file:///tmp/100%25%3F.htm"},
      {"/tmp/%41.htm", "file:///tmp/%2541.htm"},
      {"/srv/a#b/c?d/index.htm", "file:///srv/a%23b/c%3Fd/index.htm"},
      {"/tmp/a\\b.htm", "file:///tmp/a%5Cb.htm"},
      {"/tmp/tab\there\nline.htm", "file:///tmp/tab%09here%0Aline.htm"},
      {"/tmp/del\x7F.htm", "file:///tmp/del%7F.htm"},
      {"/tmp/\001esc\033.htm", "file:///tmp/%01esc%1B.htm"},
      {"/tmp/My Pages/index.htm", "file:///tmp/My Pages/index.htm"},
      {"/tmp/ends in a blank ", "file:///tmp/ends in a blank%20"},
      {"/tmp/pàgina és.htm", "file:///tmp/pàgina és.htm"},
      // Every script, and a name decomposed as another system wrote it,
      // byte for byte; bytes that are no UTF-8 (Latin-1) escaped.
      {"/tmp/Ελληνικά/coŀlecció.htm", "file:///tmp/Ελληνικά/coŀlecció.htm"},
      {"/tmp/cafe\xCC\x81.htm", "file:///tmp/cafe\xCC\x81.htm"},
      {"/tmp/caf\xE9 \xC3.htm", "file:///tmp/caf%E9 %C3.htm"},
      {"/tmp/a+b&c;d=e[f]~g@h,i$j'k(l)m!n*.htm", "file:///tmp/a+b&c;d=e[f]~g@h,i$j'k(l)m!n*.htm"},
      {"/", "file:///"},
  };
  for (const auto& c : cases) EXPECT_EQ(FileAddress(c.path), c.address) << c.path;
}

}  // namespace
}  // namespace sonavia::platform
