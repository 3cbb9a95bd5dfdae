// libFuzzer target: the linear page conversion must give exactly what the
// literal rules give, for any text, and must never crash or hang.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "platform/Cp1252.h"
#include "reading/ListDump.h"
#include "reading/LiteralConverter.h"
#include "reading/PageConverter.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace sonavia;
  static auto fast = std::make_unique<reading::ReadingList>();
  static auto oracle = std::make_unique<reading::ReadingList>();
  const std::string page(reinterpret_cast<const char*>(data), size);
  literal::WarningLog fastWarnings, oracleWarnings;
  fast->SetPageTitle("t");
  oracle->SetPageTitle("t");
  // The literal rules read the bytes as Windows-1252, the passes as UTF-8.
  reading::PageConverter(*fast, &fastWarnings).ConvertPage(platform::Cp1252ToUtf8(page));
  literal::ConvertPage(*oracle, page, &oracleWarnings);
  if (testing::DumpList(*fast) != platform::Cp1252ToUtf8(testing::DumpList(*oracle)) ||
      fastWarnings.calls != literal::InUtf8(oracleWarnings.calls)) {
    std::fprintf(stderr, "conversion differs from the literal rules\n");
    std::abort();
  }
  return 0;
}
