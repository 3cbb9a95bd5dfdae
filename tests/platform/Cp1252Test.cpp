#include "platform/Cp1252.h"

#include <gtest/gtest.h>

namespace sonavia::platform {
namespace {

TEST(Cp1252, ToUtf8) {
  EXPECT_EQ(Cp1252ToUtf8("T\xEDtol"), "Títol");
  EXPECT_EQ(Cp1252ToUtf8("\x80\x93\x94\x96\x9F"), "€“”–Ÿ");
  EXPECT_EQ(Cp1252ToUtf8("\x81\x8D\x8F\x90\x9D"), "\u0081\u008D\u008F\u0090\u009D");
  EXPECT_EQ(Cp1252ToUtf8(std::string("a\0b", 3)), std::string("a\0b", 3));
}

TEST(Cp1252, FromUtf8) {
  EXPECT_EQ(Utf8ToCp1252("Títol · €"), "T\xEDtol \xB7 \x80");
  EXPECT_EQ(Utf8ToCp1252("日本"), "??");
  EXPECT_EQ(Utf8ToCp1252("\xC3"), "?");            // cut short
  EXPECT_EQ(Utf8ToCp1252("\xC0\xAF"), "??");       // overlong
  EXPECT_EQ(Utf8ToCp1252("\xED\xA0\x80"), "???");  // surrogate
  EXPECT_EQ(Utf8ToCp1252("😀x"), "?x");
}

// The bytes 0x80 to 0x9F are where Windows-1252 differs from Latin-1; each
// against its own character, so that a shifted table cannot pass.
TEST(Cp1252, TheBytesWhereItDiffersFromLatin1) {
  const char* const expected[32] = {"€",      "\u0081", "‚", "ƒ", "„", "…",      "†", "‡",
                                    "ˆ",      "‰",      "Š", "‹", "Œ", "\u008D", "Ž", "\u008F",
                                    "\u0090", "‘",      "’", "“", "”", "•",      "–", "—",
                                    "˜",      "™",      "š", "›", "œ", "\u009D", "ž", "Ÿ"};
  for (int b = 0x80; b <= 0x9F; ++b) {
    const std::string byte(1, static_cast<char>(b));
    EXPECT_EQ(Cp1252ToUtf8(byte), expected[b - 0x80]) << std::hex << b;
    EXPECT_EQ(Utf8ToCp1252(expected[b - 0x80]), byte) << std::hex << b;
  }
}

TEST(Cp1252, EveryByteSurvivesTheRoundTrip) {
  std::string all;
  for (int b = 1; b < 256; ++b) all.push_back(static_cast<char>(b));
  EXPECT_EQ(Utf8ToCp1252(Cp1252ToUtf8(all)), all);
}

}  // namespace
}  // namespace sonavia::platform
