// The speech library as the program uses it: from loading it by name to the
// first sample of a short text; the time a Read takes to return, idle
// (after a Stop) and while another text is being spoken; and the resident
// memory a long text costs while it is spoken and after a Stop.
#include <benchmark/benchmark.h>
#include <dlfcn.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <string>
#include <thread>

#include "Engine.h"

namespace {

using Clock = std::chrono::steady_clock;

std::string LongText(size_t bytes) {
  std::string text;
  while (text.size() < bytes) text += "Bon dia a tothom, això és una prova de lectura. ";
  return text;
}

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
    read("Bon dia a tothom, això és una prova. ");
    state.PauseTiming();
    stop();
    state.ResumeTiming();
  }
  dlclose(library);
}
BENCHMARK(BM_ReadReturns)
    ->Name("BM_ReadReturns/idle_after_a_Stop")
    ->Unit(benchmark::kMicrosecond)
    ->Iterations(200)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true);

void BM_ReadReturnsWhileSpeaking(benchmark::State& state) {
  void* library = dlopen("libupctv.so", RTLD_NOW | RTLD_LOCAL);
  if (library == nullptr) {
    state.SkipWithError("libupctv.so not found");
    return;
  }
  auto read = reinterpret_cast<int32_t (*)(const char*)>(dlsym(library, "upcTVRead"));
  auto stop = reinterpret_cast<int32_t (*)()>(dlsym(library, "upcTVStop"));
  auto status = reinterpret_cast<int32_t (*)(int32_t)>(dlsym(library, "upcTVStatus"));
  const std::string text = LongText(64 * 1024);
  read(text.c_str());
  // Each Read replaces a text that is being spoken; a pause between them
  // lets the replaced one get under way again.
  for (auto _ : state) {
    read(text.c_str());
    state.PauseTiming();
    while (upctv::engine::FirstSampleTime() == 0) std::this_thread::yield();
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    if (status(0) == 0) state.SkipWithError("not speaking");
    state.ResumeTiming();
  }
  stop();
  dlclose(library);
}
BENCHMARK(BM_ReadReturnsWhileSpeaking)
    ->Name("BM_ReadReturns/busy")
    ->Unit(benchmark::kMicrosecond)
    ->Iterations(100)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true);

size_t ResidentBytes() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmRSS:", 0) == 0) return std::stoull(line.substr(6)) * 1024;
  }
  return 0;
}

// A megabyte of text spoken for five seconds: the most resident memory
// above idle meanwhile, and what is left above idle after a Stop.
void BM_LongTextMemory(benchmark::State& state) {
  void* library = dlopen("libupctv.so", RTLD_NOW | RTLD_LOCAL);
  if (library == nullptr) {
    state.SkipWithError("libupctv.so not found");
    return;
  }
  auto read = reinterpret_cast<int32_t (*)(const char*)>(dlsym(library, "upcTVRead"));
  auto stop = reinterpret_cast<int32_t (*)()>(dlsym(library, "upcTVStop"));
  const std::string text = LongText(1 << 20);
  read("a");
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  double most = 0, after = 0;
  for (auto _ : state) {
    const auto idle = static_cast<double>(ResidentBytes());
    read(text.c_str());
    for (int i = 0; i < 50; ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
      most = std::max(most, static_cast<double>(ResidentBytes()) - idle);
    }
    stop();
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    after = static_cast<double>(ResidentBytes()) - idle;
  }
  state.counters["MiB_most_while_speaking"] = most / (1 << 20);
  state.counters["MiB_after_Stop"] = after / (1 << 20);
  dlclose(library);
}
BENCHMARK(BM_LongTextMemory)->Unit(benchmark::kSecond)->Iterations(1);

}  // namespace

BENCHMARK_MAIN();
