#include "platform/UnitTools.h"

#include <gtest/gtest.h>

#include <limits>

namespace sonavia::platform {
namespace {

TEST(ReplaceAll, RescansFromTheStart) {
  struct Case {
    const char* text;
    const char* pattern;
    const char* replacement;
    const char* expected;
  };
  const Case cases[] = {
      {"a%20b%20c", "%20", " ", "a b c"},
      {"&NB&NBSP;SP;x", "&NBSP;", "", "x"},
      {" I I ", " I ", " HI ", " HI HI "},
      {"aab", "ab", "bx", "bxx"},  // the replacement joins with the text before it
      {"aaab", "ab", "b", "b"},
      {"abc", "", "x", "abc"},
      {"", "a", "b", ""},
      {"xyz", "q", "r", "xyz"},
      {"aaa", "a", "aa", "aaaaaa"},  // would never end: each original one once
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ReplaceAll(c.text, c.pattern, c.replacement), c.expected) << c.text;
  }
}

TEST(Shortened, CutsALongTextAndMarksTheCut) {
  struct Case {
    std::string text;
    size_t longest;
    std::string shown;
  } const cases[] = {
      {"", 5, ""},
      {"abcde", 5, "abcde"},
      {"abcdef", 5, "abcde…"},
      {"Castellà i més", 8, "Castellà…"},
      // Counted in characters: none is cut in two.
      {"Ζωή και 😀😀", 9, "Ζωή και 😀…"},
      {"Ζωή", 3, "Ζωή"},
      {std::string(5 << 20, 't'), 250, std::string(250, 't') + "…"},
      {"x", 0, "…"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Shortened(c.text, c.longest), c.shown) << c.text.substr(0, 20) << "/" << c.longest;
  }
}

TEST(ReadWholeNumber, ReadsTheLeadingNumber) {
  constexpr int32_t kMax = std::numeric_limits<int32_t>::max();
  constexpr int32_t kMin = std::numeric_limits<int32_t>::min();
  struct Case {
    const char* text;
    int32_t value;
  };
  const Case cases[] = {
      {"140", 140},
      {"  15", 15},
      {"-3", -3},
      {"+7", 7},
      {"120 abc", 120},
      {"12abc", 12},
      {"abc", 0},
      {"", 0},
      {" ", 0},
      {"-", 0},
      {"$1F", 31},
      {"0x1f", 31},
      {"0X10", 16},
      {"-$10", -16},
      {"0", 0},
      {"256", 256},
      {"99999999999", kMax},
      {"-99999999999", kMin},
      {"18446744073709551615", kMax},  // 20 digits: would wrap a 64-bit reading
      {"-18446744073709551616", kMin},
      {"99999999999999999999", kMax},
      {"$FFFFFFFFFFFFFFFFFFFF", kMax},  // 20 hexadecimal digits
      {"0xFFFFFFFFFFFFFFFFFFFF", kMax},
      {"-0x10000000000000000000", kMin},
      {"$7FFFFFFF", kMax},
      {"2147483648", kMax},
      {"2147483647", kMax},
      {"-2147483648", kMin},
      {"0xFFFFFFFFF", kMax},
      {"1.5", 1},
      {"x1", 0},
  };
  for (const auto& c : cases) EXPECT_EQ(ReadWholeNumber(c.text), c.value) << c.text;
}

}  // namespace
}  // namespace sonavia::platform

#include "support/FakeWindowList.h"

namespace sonavia::platform {
namespace {

TEST(FindWindowByTitle, TakesTheFirstWhoseTitleAndClassContainTheParts) {
  testing::FakeWindowList list;
  const std::string longTitle = std::string(250, 'x') + "Error";  // "Error" past 254
  list.windows = {{1, "", "Dialog", "", 0},
                  {2, longTitle, "Dialog", "", 0},
                  {3, "Error de xarxa", "QWidget", "", 0},
                  {4, "Un error", "QMessageBox", "", 0},
                  {5, "Error", "QMessageBox", "", 0}};
  struct Case {
    const char* title;
    const char* className;
    WindowHandle found;  // 0: none
  } const cases[] = {
      {"Error", "", 3},        {"Error", "Message", 5}, {"error", "", 4},  {"", "", 0},
      {"Error", "Nothing", 0}, {"xarxa", "QWidget", 3}, {"Absent", "", 0},
  };
  for (const auto& c : cases) {
    const auto window = FindWindowByTitle(list, c.title, c.className);
    EXPECT_EQ(window ? window->handle : 0, c.found) << c.title << "/" << c.className;
  }
  // The whole title, of any class.
  EXPECT_EQ(FindWindow(list, "Error")->handle, 5u);
  EXPECT_FALSE(FindWindow(list, "Err").has_value());
}

}  // namespace
}  // namespace sonavia::platform
