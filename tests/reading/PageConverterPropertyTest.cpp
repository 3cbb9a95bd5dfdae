// The linear passes against the literal rules, over generated pages.
#include <gtest/gtest.h>

#include <memory>
#include <random>

#include "platform/Cp1252.h"
#include "platform/UnitTools.h"
#include "reading/ListDump.h"
#include "reading/LiteralConverter.h"
#include "reading/PageConverter.h"
#include "reading/PageGenerator.h"

namespace sonavia::reading {
namespace {

std::string U(const std::string& cp1252) {
  return platform::Cp1252ToUtf8(cp1252);
}

TEST(PageConverterProperty, EveryPassMatchesTheLiteralRule) {
  std::mt19937 rng(20261207);
  for (int i = 0; i < 4000; ++i) {
    // The literal rules read the Windows-1252 page, the passes its UTF-8.
    std::string page = testing::GeneratePage(rng, 40);
    SCOPED_TRACE(page);
    std::string utf8 = U(page);
    ASSERT_EQ(U(literal::ReplaceEntities(page)), ReplaceEntities(utf8));
    UpperCaseAscii(page);
    utf8 = U(page);
    ASSERT_EQ(U(literal::MarkImages(page)), MarkImages(utf8));
    ASSERT_EQ(U(literal::MarkLinks(page)), MarkLinks(utf8));
    ASSERT_EQ(U(literal::MarkSentences(page)), MarkSentences(utf8));
    ASSERT_EQ(U(literal::CleanUpText(page)), CleanUpText(utf8));
  }
}

TEST(PageConverterProperty, WholeConversionMatchesTheLiteralRules) {
  std::mt19937 rng(7);
  auto fast = std::make_unique<ReadingList>();
  auto oracle = std::make_unique<ReadingList>();
  for (int i = 0; i < 1500; ++i) {
    const std::string page = testing::GeneratePage(rng, i % 10 == 0 ? 400 : 60);
    fast->SetPageTitle("t");
    oracle->SetPageTitle("t");
    literal::WarningLog fastWarnings, oracleWarnings;
    PageConverter(*fast, &fastWarnings).ConvertPage(U(page));
    literal::ConvertPage(*oracle, page, &oracleWarnings);
    ASSERT_EQ(U(testing::DumpList(*oracle)), testing::DumpList(*fast)) << page;
    ASSERT_EQ(literal::InUtf8(oracleWarnings.calls), fastWarnings.calls) << page;
  }
}

TEST(PageConverterProperty, LongPagesReachTheLimitLikeTheLiteralRules) {
  std::mt19937 rng(99);
  auto fast = std::make_unique<ReadingList>();
  auto oracle = std::make_unique<ReadingList>();
  for (int i = 0; i < 6; ++i) {
    std::string page;
    while (page.size() < 30000) page += testing::GeneratePage(rng, 50) + "<a href=\"u\">l</a>. ";
    literal::WarningLog fastWarnings, oracleWarnings;
    PageConverter(*fast, &fastWarnings).ConvertPage(U(page));
    literal::ConvertPage(*oracle, page, &oracleWarnings);
    ASSERT_EQ(U(testing::DumpList(*oracle)), testing::DumpList(*fast));
    ASSERT_EQ(literal::InUtf8(oracleWarnings.calls), fastWarnings.calls);
  }
}

TEST(ReplaceAllProperty, MatchesTheLiteralRule) {
  // Small alphabets make joins and overlaps frequent.
  std::mt19937 rng(3);
  const char* const patterns[] = {"ab", "aa", "aba", "a", "&NBSP;", " I ", "abc", "ba"};
  const char* const replacements[] = {"", "b", "ba", "bx", "c", " HI ", "bb", "x"};
  std::uniform_int_distribution<int> letter(0, 2);
  std::uniform_int_distribution<size_t> len(0, 24);
  for (int i = 0; i < 20000; ++i) {
    std::string text;
    const size_t n = len(rng);
    for (size_t k = 0; k < n; ++k) text.push_back("ab "[letter(rng)]);
    if (i % 3 == 0) text += "&NB&NBSP;SP; I I ";
    const std::string p = patterns[i % 8];
    const std::string r = replacements[(i / 8) % 8];
    if (r.find(p) != std::string::npos) continue;
    // Skip the few pairs whose rule grows the text without end.
    if (r.size() > p.size() && r != " HI ") continue;
    ASSERT_EQ(literal::ReplaceAll(text, p, r), platform::ReplaceAll(text, p, r))
        << "[" << text << "] " << p << " -> " << r;
  }
}

}  // namespace
}  // namespace sonavia::reading
