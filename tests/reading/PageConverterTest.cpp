#include "reading/PageConverter.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/Cp1252.h"
#include "reading/ListDump.h"
#include "reading/LiteralConverter.h"

namespace sonavia::reading {
namespace {

using sonavia::literal::WarningLog;

struct Converted {
  std::unique_ptr<ReadingList> list = std::make_unique<ReadingList>();
  WarningLog warnings;

  // Units from 3 on, as (text, kind).
  std::vector<std::pair<std::string, int>> PageUnits() const {
    std::vector<std::pair<std::string, int>> units;
    for (int32_t i = 3; i <= list->UnitCount; ++i) {
      units.emplace_back(list->Units[i].Text, static_cast<int>(list->Units[i].Kind));
    }
    return units;
  }
};

Converted Convert(const std::string& html, const std::string& title = "T") {
  Converted c;
  c.list->SetPageTitle(title);
  PageConverter converter(*c.list, &c.warnings);
  converter.ConvertPage(html);
  // Every conversion of a text that Windows-1252 holds must also agree
  // with the rules read literally on that text.
  const std::string html1252 = platform::Utf8ToCp1252(html);
  if (platform::Cp1252ToUtf8(html1252) != html) return c;
  auto oracle = std::make_unique<ReadingList>();
  oracle->SetPageTitle(platform::Utf8ToCp1252(title));
  WarningLog oracleWarnings;
  literal::ConvertPage(*oracle, html1252, &oracleWarnings);
  EXPECT_EQ(platform::Cp1252ToUtf8(testing::DumpList(*oracle)), testing::DumpList(*c.list))
      << "page: " << html;
  EXPECT_EQ(literal::InUtf8(oracleWarnings.calls), c.warnings.calls);
  return c;
}

constexpr int kText = 1;
constexpr int kItem = 2;

TEST(PageConverter, WorkedExample) {
  const auto c = Convert(
      "<P>Vegeu <A href=\"doc.htm\">el <B>document</B></A>. Text <IMG src=\"a.gif\" "
      "alt=\"Logo\"> i m&eacute;s.</P>",
      "Exemple");
  const ReadingList& l = *c.list;
  ASSERT_EQ(l.UnitCount, 10);
  const std::vector<std::pair<std::string, UnitKind>> expected = {
      {"Títol", UnitKind::Text},    {"Exemple", UnitKind::Item},     {"VEGEU ", UnitKind::Text},
      {"LINK", UnitKind::Item},     {"EL DOCUMENT", UnitKind::Item}, {"", UnitKind::Text},
      {"TEXT ", UnitKind::Text},    {"Imatge ", UnitKind::Item},     {"LOGO ", UnitKind::Item},
      {" HI MéS. ", UnitKind::Text}};
  for (size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(l.Units[i + 1].Text, expected[i].first) << i + 1;
    EXPECT_EQ(l.Units[i + 1].Kind, expected[i].second) << i + 1;
  }
  EXPECT_EQ(l.LinkCount, 1);
  EXPECT_EQ(l.Links[1].Address, "DOC.HTM");
  EXPECT_EQ(l.Links[1].Text, "EL DOCUMENT");
  EXPECT_EQ(l.Links[1].UnitIndex, 5);
  EXPECT_EQ(l.UnitCursor, 0);
  EXPECT_EQ(l.LinkCursor, 0);
  EXPECT_EQ(l.WorkingText, "VEGEU (L)DOC.HTM,EL DOCUMENT(/L)(PUNT)TEXT (G)A.GIF,LOGO(/G) HI MéS.");
  EXPECT_TRUE(c.warnings.calls.empty());
}

struct UnitsCase {
  const char* name;
  std::string html;
  std::vector<std::pair<std::string, int>> units;  // from unit 3 on
};

void PrintTo(const UnitsCase& c, std::ostream* os) {
  *os << c.name;
}

class PageUnits : public ::testing::TestWithParam<UnitsCase> {};

TEST_P(PageUnits, GivesTheUnits) {
  const auto c = Convert(GetParam().html);
  EXPECT_EQ(c.PageUnits(), GetParam().units);
  EXPECT_EQ(c.list->Units[1].Text, "Títol");
  EXPECT_EQ(c.list->Units[2].Text, "T");
  EXPECT_EQ(c.list->Units[2].Kind, UnitKind::Item);
}

INSTANTIATE_TEST_SUITE_P(
    EdgeCases, PageUnits,
    ::testing::Values(
        UnitsCase{"Empty", "", {{" ", kText}}},
        UnitsCase{
            "AccentStaysLower", "Hola m&oacute;n. Adeu", {{"HOLA MóN", kText}, {"ADEU ", kText}}},
        UnitsCase{"ImageThenSentences",
                  "Text <IMG src=\"a.gif\" alt=\"Logo\"> more. End.",
                  {{"TEXT ", kText},
                   {"Imatge ", kItem},
                   {"LOGO ", kItem},
                   {" MORE", kText},
                   {"END. ", kText}}},
        UnitsCase{"ImageSourceOnly",
                  "<IMG src=\"s.gif\">",
                  {{"Imatge ", kItem}, {"S.GIF", kItem}, {" ", kText}}},
        UnitsCase{"AnchorNoText",
                  "<A href=\"x.htm\"></A>",
                  {{"LINK", kItem}, {"X.HTM", kItem}, {" ", kText}}},
        UnitsCase{"AnchorWithImage",
                  "<A href=\"u\"><IMG src=\"i.gif\" alt=\"\">Img</A>",
                  {{"LINK", kItem}, {"Imatge I.GIF IMG", kItem}, {" ", kText}}},
        UnitsCase{"HiAndLineBreakTags",
                  "Pere i Joan. <BR>Line.<BR>Next",
                  {{"PERE HI JOAN", kText}, {"LINE", kText}, {"NEXT ", kText}}},
        UnitsCase{"CrLfJoins", "a\r\nb", {{"AB ", kText}}},
        UnitsCase{"NbspJoins", "a&nbsp;b", {{"AB ", kText}}},
        UnitsCase{"QuotKeepsSemicolon", "&quot;q&quot;", {{"\";Q\"; ", kText}}},
        UnitsCase{"EntityCaseExact", "p&AACUTE;x", {{"P&AACUTE;X ", kText}}},
        UnitsCase{"LeadingSentenceMark", ". x", {{"", kText}, {"X ", kText}}},
        UnitsCase{"TwoSentenceMarks", "x. . y", {{"X", kText}, {"", kText}, {"Y ", kText}}},
        UnitsCase{"LeadingImageMark",
                  "<IMG alt=\"a\">b",
                  {{"Imatge ", kItem}, {"A ", kItem}, {"B ", kText}}},
        UnitsCase{"SentenceInsideLink",
                  "Mr. Smith <A href=\"u\">Dr. No</A>",
                  {{"MR", kText},
                   {"SMITH ", kText},
                   {"LINK", kItem},
                   {"DR(PUNT)NO", kItem},
                   {" ", kText}}},
        UnitsCase{"PageTextImageMark",
                  "5 (g) of sugar",
                  {{"5 ", kText}, {"Imatge ", kItem}, {"", kItem}, {" SUGAR ", kText}}},
        UnitsCase{"NbspFormedByDeletion", "&NB&NBSP;SP;x", {{"X ", kText}}},
        UnitsCase{
            "CommentAfterStrayClose", "x --> y <!-- z -->w", {{"X --> Y <!-- Z -->W ", kText}}},
        UnitsCase{"StrayGreaterStopsTags", "a > b <B>c</B>", {{"A > B <B>C</B> ", kText}}},
        UnitsCase{"OverlappingHi", "a i i b", {{"A HI HI B ", kText}}},
        UnitsCase{"RsquoKeepsSemicolon", "l&rsquo;aigua", {{"L';AIGUA ", kText}}},
        UnitsCase{"TextReadingLink", "LINK. x", {{"LINK", kText}, {"X ", kText}}},
        UnitsCase{"CommentsRemoved", "a<!-- b -->c<!---->d", {{"ACD ", kText}}},
        UnitsCase{"ImageWithoutClosingBracket",
                  "x <IMG src=\"a\" alt=\"b\"",
                  {{"X ", kText}, {"Imatge ", kItem}, {"B ", kItem}, {" ", kText}}},
        UnitsCase{"AnchorWithoutClosingTag",
                  "<A HREF=\"u\">t",
                  {{"LINK", kItem}, {"U", kItem}, {"HREF=\"U\">T ", kText}}},
        UnitsCase{"NestedAnchorsReadOnce",
                  "<a href=\"a\">x <a href=\"b\">y</a> z",
                  {{"LINK", kItem}, {"X Y", kItem}, {" Z ", kText}}},
        UnitsCase{"ImageDescriptionHoldsImgTag",
                  "<IMG alt=\"<img\">z",
                  {{"Imatge ", kItem}, {"<IMG ", kItem}, {"Z ", kText}}},
        UnitsCase{"AnchorAddressHoldsAnchor",
                  "<!-- <a href=\"<a href\"> -->ok <a href=\"<a href\">",
                  {{"OK ", kText}, {"LINK", kItem}, {"", kItem}}}),
    [](const auto& test) { return std::string(test.param.name); });

struct LinkCase {
  const char* name;
  std::string html;
  std::string address;
  std::string text;
  int32_t unitIndex;
};

void PrintTo(const LinkCase& c, std::ostream* os) {
  *os << c.name;
}

class PageLinks : public ::testing::TestWithParam<LinkCase> {};

TEST_P(PageLinks, GivesTheLinkEntry) {
  const auto c = Convert(GetParam().html);
  ASSERT_EQ(c.list->LinkCount, 1);
  const auto& link = c.list->Links[1];
  EXPECT_EQ(link.Address, GetParam().address);
  EXPECT_EQ(link.Text, GetParam().text);
  EXPECT_EQ(link.UnitIndex, GetParam().unitIndex);
  EXPECT_EQ(c.list->Units[link.UnitIndex - 1].Text, "LINK");
  EXPECT_EQ(c.list->Units[link.UnitIndex].Text, link.Text);
}

INSTANTIATE_TEST_SUITE_P(
    EdgeCases, PageLinks,
    ::testing::Values(
        LinkCase{"Plain", "<A href=\"x.htm\">Click here</A>", "X.HTM", "CLICK HERE", 4},
        LinkCase{"NoText", "<A href=\"x.htm\"></A>", "X.HTM", "X.HTM", 4},
        LinkCase{"CommaInAddress", "<A href=\"a,b.htm\">T</A>", "A", "B.HTM,T", 4},
        LinkCase{"QuotesOfAnotherAttribute", "<A HREF=x title=\"t\">y</A>", "T", "Y", 4},
        LinkCase{"NoQuotes", "<A HREF=x>y</A>", "", "Y", 4},
        LinkCase{"AfterText", "one. two <A href=\"u\">w</A>", "U", "W", 6},
        LinkCase{"UnclosedMarkInPage", "(l)x", "", "", 4},
        LinkCase{"AddressAtTheLongestKept", "<A href=\"" + std::string(2083, 'x') + "\"></A>",
                 std::string(2083, 'X'), std::string(2083, 'X'), 4},
        LinkCase{"AddressCutToTheLongestKept", "<A href=\"" + std::string(5000, 'x') + "\">t</A>",
                 std::string(2083, 'X'), "T", 4}),
    [](const auto& test) { return std::string(test.param.name); });

TEST(PageConverter, ResetsThePreviousPageAndKeepsWhatItDoesNotOwn) {
  auto list = std::make_unique<ReadingList>();
  PageConverter converter(*list, nullptr);
  list->SetPageTitle("A");
  list->SetReadingMode(ReadingMode::Links);
  list->SetPageAddresses("base/", "page.htm");
  list->LinkTarget = "target";
  list->ResolvedLink(7) = "r7";
  converter.ConvertPage("<a href=\"1\">1</a><a href=\"2\">2</a> three. four. five.");
  ASSERT_EQ(list->LinkCount, 2);
  list->UnitCursor = 5;
  list->LinkCursor = 2;
  converter.ConvertPage("short");
  EXPECT_EQ(list->UnitCount, 3);
  EXPECT_EQ(list->LinkCount, 0);
  EXPECT_EQ(list->UnitCursor, 0);
  EXPECT_EQ(list->LinkCursor, 0);
  for (int32_t i = 4; i <= UnitCapacity; ++i) {
    ASSERT_TRUE(list->Units[i].Text.empty()) << i;
    ASSERT_EQ(list->Units[i].Kind, UnitKind::None) << i;
  }
  EXPECT_TRUE(list->Links[1].Address.empty());
  EXPECT_TRUE(list->Links[2].Text.empty());
  EXPECT_EQ(list->ReadingMode, ReadingMode::Links);
  EXPECT_EQ(list->PageTitle, "A");
  EXPECT_EQ(list->BaseAddress, "base/");
  EXPECT_EQ(list->PageAddress, "page.htm");
  EXPECT_EQ(list->LinkTarget, "target");
  EXPECT_EQ(list->ResolvedLink(7), "r7");
}

TEST(PageConverter, TitleIsStoredAsGiven) {
  const auto c = Convert("x", "títol &amp; <b>");
  EXPECT_EQ(c.list->Units[2].Text, "títol &amp; <b>");
  const auto empty = Convert("x", "");
  EXPECT_EQ(empty.list->Units[2].Text, "");
  EXPECT_EQ(empty.list->Units[2].Kind, UnitKind::Item);
}

TEST(PageConverter, ALoneIIsHiOnlyInCatalanAndCastilianAndEveryScriptKeepsItsLetters) {
  struct Case {
    bool catalanRules;
    const char* html;
    std::vector<std::pair<std::string, int>> units;
  } const cases[] = {
      {true, "Pere i Joan", {{"PERE HI JOAN ", kText}}},
      {false, "How can I create it", {{"HOW CAN I CREATE IT ", kText}}},
      // Only ASCII letters change case; nothing else of any script does.
      {false,
       "Zażółć gęślą jaźń. Ζωή. Жизнь → 😀",
       {{"ZAżółć GęśLą JAźń", kText}, {"Ζωή", kText}, {"Жизнь → 😀 ", kText}}},
      {true, "<a href=\"κ.htm\">Κλικ</a>", {{"LINK", kItem}, {"Κλικ", kItem}, {" ", kText}}},
  };
  for (const auto& c : cases) {
    Converted converted;
    converted.list->SetPageTitle("T");
    PageConverter converter(*converted.list, &converted.warnings);
    converter.SetCatalanRules(c.catalanRules);
    converter.ConvertPage(c.html);
    EXPECT_EQ(converted.PageUnits(), c.units) << c.html;
  }
}

TEST(PageConverter, AnAddressIsCutAtItsLongestInCharactersNeverInsideOne) {
  // 2082 letters and then a two-byte one: the cut keeps the whole letter.
  const std::string address = std::string(2082, 'x') + "é" + "tail";
  const auto c = Convert("<a href=\"" + address + "\">t</a>");
  EXPECT_EQ(c.list->Link(1).Address, std::string(2082, 'X') + "é");
}

std::string Repeat(const std::string& piece, int times) {
  std::string s;
  for (int i = 0; i < times; ++i) s += piece;
  return s;
}

TEST(PageConverter, LongPagesStopAtTheLimitAndWarn) {
  struct Case {
    std::string html;
    int32_t units;
    int32_t links;
    std::string lastUnit;
  };
  const Case cases[] = {
      {Repeat("<a href=\"u\">w</a>", 600), 996, 497, "W"},
      {Repeat("s. ", 2000), 996, 0, "S"},
      // Text, image pair: three units in one step, ending past the limit.
      {Repeat("t<img alt=\"a\">", 400), 998, 0, "A "},
  };
  for (const auto& test : cases) {
    const auto c = Convert(test.html);
    const ReadingList& l = *c.list;
    EXPECT_EQ(l.UnitCount, test.units);
    EXPECT_EQ(l.LinkCount, test.links);
    EXPECT_EQ(l.Units[l.UnitCount].Text, test.lastUnit);
    EXPECT_EQ(l.UnitCursor, 0);
    EXPECT_EQ(l.LinkCursor, 0);
    EXPECT_EQ(c.warnings.calls,
              (std::vector<std::string>{"UseItemVoice",
                                        "SpeakUnit:Document massa llarg, no el podré llegir tot"}));
    for (int32_t i = 1; i <= l.LinkCount; ++i) {
      EXPECT_EQ(l.Units[l.Links[i].UnitIndex - 1].Text, "LINK");
    }
  }
  // Just at the limit: the whole page, no warning.
  const auto fits = Convert(Repeat("s. ", 992));
  EXPECT_EQ(fits.list->UnitCount, ConversionLimit);
  EXPECT_EQ(fits.list->Units[ConversionLimit].Text, " ");
  EXPECT_TRUE(fits.warnings.calls.empty());
}

TEST(PageConverter, MarksInsideTheirPasses) {
  EXPECT_EQ(MarkImages("a<!-- <IMG SRC=\"x\"> -->b<IMG SRC=\"S\" ALT=\"D\">c"), "ab(G)S,D(/G)c");
  EXPECT_EQ(MarkImages("<IMG ALTSRC=\"1\" X=\"2\">"), "(G)1,1(/G)");
  EXPECT_EQ(MarkImages("<IMG SRC=\"1>"), "(G),(/G)");
  EXPECT_EQ(MarkImages("<!-->x"), "x");
  EXPECT_EQ(MarkImages("<<!---->!---->x"), "x");
  EXPECT_EQ(MarkLinks("<A HREF=\"U\">T</A>"), "(L)U,T(/L)");
  EXPECT_EQ(MarkLinks("<A HREF"), "(L),(/L)HREF");
  EXPECT_EQ(MarkLinks("<A HREF=\"</A>\">T</A>"), "(L),(/L)\">T</A>");
  EXPECT_EQ(MarkSentences("A. B.<BR>C.D. "), "A(PUNT)B(PUNT)C.D(PUNT)");
  EXPECT_EQ(CleanUpText("<B\r\n>X</B> &NBSP;Y"), "X Y");
  EXPECT_EQ(ReplaceEntities("&eacute;&amp;&ntilde;&Ntilde&"), "é&amp;ñ&Ntilde&");
}

}  // namespace
}  // namespace sonavia::reading
