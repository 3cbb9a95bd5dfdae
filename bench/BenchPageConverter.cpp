// Page conversion of a generated 1 MiB body that looks like a real page,
// against the literal rules on the same input.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "RealisticPage.h"
#include "reading/LiteralConverter.h"
#include "reading/PageConverter.h"

namespace {

using sonavia::bench::RealisticBody;

void BM_ConvertPage(benchmark::State& state) {
  const std::string body = RealisticBody(1 << 20);
  auto list = std::make_unique<sonavia::reading::ReadingList>();
  list->SetPageTitle("Prova");
  sonavia::reading::PageConverter converter(*list, nullptr);
  for (auto _ : state) {
    converter.ConvertPage(body);
    benchmark::DoNotOptimize(list->UnitCount);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * body.size()));
}
BENCHMARK(BM_ConvertPage)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

void BM_ConvertPageLiteral(benchmark::State& state) {
  const std::string body = RealisticBody(1 << 20);
  auto list = std::make_unique<sonavia::reading::ReadingList>();
  list->SetPageTitle("Prova");
  for (auto _ : state) {
    sonavia::literal::ConvertPage(*list, body, nullptr);
    benchmark::DoNotOptimize(list->UnitCount);
  }
}
BENCHMARK(BM_ConvertPageLiteral)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace

BENCHMARK_MAIN();
