// The speech library as the program uses it: from loading it by name to the
// first sample of a short text, and the time a Read takes to return.
#include <benchmark/benchmark.h>
#include <dlfcn.h>

#include <chrono>
#include <thread>

#include "Engine.h"

namespace {

using Clock = std::chrono::steady_clock;

void BM_LoadToFirstSample(benchmark::State& state) {
  for (auto _ : state) {
    const auto start = Clock::now();
    void* library = dlopen("libupctv.so", RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) {
      state.SkipWithError("libupctv.so not found");
      return;
    }
    auto read = reinterpret_cast<int32_t (*)(const char*)>(dlsym(library, "upcTVRead"));
    read("Hola. ");
    int64_t first = 0;
    while ((first = upctv::engine::FirstSampleTime()) == 0) std::this_thread::yield();
    const auto startNs =
        std::chrono::duration_cast<std::chrono::nanoseconds>(start.time_since_epoch()).count();
    state.SetIterationTime(static_cast<double>(first - startNs) / 1e9);
    dlclose(library);
  }
}
BENCHMARK(BM_LoadToFirstSample)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(40)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true);

void BM_ReadReturns(benchmark::State& state) {
  void* library = dlopen("libupctv.so", RTLD_NOW | RTLD_LOCAL);
  if (library == nullptr) {
    state.SkipWithError("libupctv.so not found");
    return;
  }
  auto read = reinterpret_cast<int32_t (*)(const char*)>(dlsym(library, "upcTVRead"));
  auto stop = reinterpret_cast<int32_t (*)()>(dlsym(library, "upcTVStop"));
  read("a");  // the first call starts the session
  stop();
  for (auto _ : state) {
    read("Bon dia a tothom, aix\xF2 \xE9s una prova. ");
    state.PauseTiming();
    stop();
    state.ResumeTiming();
  }
  dlclose(library);
}
BENCHMARK(BM_ReadReturns)
    ->Unit(benchmark::kMicrosecond)
    ->Iterations(200)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true);

}  // namespace

BENCHMARK_MAIN();
