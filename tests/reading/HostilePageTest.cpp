// Pages made to hurt: each 1 MB shape converts within a bound on the peak
// resident memory of this process, and to the list the rules give.
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>

#include "reading/PageConverter.h"
#include "support/ProcessMemory.h"

namespace sonavia::reading {
namespace {

constexpr size_t kPage = 1 << 20;
constexpr size_t kMiB = 1 << 20;

std::string Repeat(const std::string& piece, size_t bytes) {
  std::string out;
  out.reserve(bytes + piece.size());
  while (out.size() < bytes) out += piece;
  return out;
}

struct HostileShape {
  const char* name;
  std::string page;
  int32_t linkCount;             // -1: not checked
  long firstAddressLength = -1;  // -1: not checked
};

void PrintTo(const HostileShape& shape, std::ostream* os) {
  *os << shape.name;
}

HostileShape OpenAnchorsBeforeALongValue() {
  // Every anchor left open takes the long quoted value as its address.
  std::string page = Repeat("<A HREF ", 8000 * 8);
  page += '"' + std::string(kPage - page.size() - 3, 'x') + "\">";
  return {"OpenAnchorsBeforeALongValue", page, -1, static_cast<long>(kMaxAddressLength)};
}

class HostilePage : public ::testing::TestWithParam<HostileShape> {};

TEST_P(HostilePage, ConvertsWithinBoundedMemory) {
  const std::string& page = GetParam().page;
  auto list = std::make_unique<ReadingList>();
  list->SetPageTitle("t");
  PageConverter converter(*list, nullptr);
  testing::ResetPeakResident();
  const size_t before = testing::ResidentBytes();
  converter.ConvertPage(page);
  const size_t peak = testing::PeakResidentBytes();
  std::printf("peak %.1f MiB above the start\n", double(peak - before) / kMiB);
  EXPECT_LT(peak - before, 100 * kMiB);
  EXPECT_LE(list->UnitCount, ConversionLimit + 2);  // a last mark adds two
  if (GetParam().linkCount >= 0) {
    EXPECT_EQ(list->LinkCount, GetParam().linkCount);
  }
  if (GetParam().firstAddressLength >= 0) {
    ASSERT_GE(list->LinkCount, 1);
    EXPECT_EQ(static_cast<long>(list->Links[1].Address.size()), GetParam().firstAddressLength);
  }
  for (int32_t i = 1; i <= list->LinkCount; ++i) {
    EXPECT_LE(list->Links[i].Address.size(), kMaxAddressLength);
  }
}

INSTANTIATE_TEST_SUITE_P(
    OneMegabyte, HostilePage,
    ::testing::Values(
        OpenAnchorsBeforeALongValue(),
        HostileShape{"OpenAnchorsAfterClosedOnes",
                     Repeat("<A HREF=\"u\">t</A>", kPage / 2) + Repeat("<A HREF=\"v\" ", kPage / 2),
                     -1},
        HostileShape{"OpenImagesRunToTheEnd", Repeat("<IMG SRC=\"s\" ALT=\"", kPage), 0},
        HostileShape{"OpenComments", Repeat("<!--", kPage) + "-->", 0},
        HostileShape{"CommentEndsFirst", "-->" + Repeat("<!-- -->", kPage), 0},
        HostileShape{"OpenTagsBeforeOneEnd", Repeat("<B", kPage) + ">", 0},
        HostileShape{"EntitiesAndMarks", Repeat("&eacute;&quot;&nbsp;(punt)(g)(L)", kPage), -1},
        HostileShape{"MarksWithoutTheirEnds", Repeat("(G)(L)", kPage), -1},
        HostileShape{"SentenceEnds", Repeat(". ", kPage), 0},
        HostileShape{"OneLongWord", std::string(kPage, 'a'), 0},
        HostileShape{"ReplacementsThatJoin", Repeat(" I I &NB&NBSP;SP;", kPage), 0}),
    [](const auto& test) { return std::string(test.param.name); });

}  // namespace
}  // namespace sonavia::reading
