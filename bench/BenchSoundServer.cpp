// The speech library with a real PulseAudio server of its own (a null sink,
// recorded from its monitor), as a user hears it: from a Read to the first
// sound; from a Stop to silence; the longest any call takes, and the time a
// close takes, while the server is stopped (SIGSTOP); and, with the server
// killed and restarted in the middle of a reading, the gap from the server
// being back to speech being heard again. Each figure is a counter in ms.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "support/LoadedSpeechLibrary.h"
#include "support/SoundServer.h"

namespace {

using namespace std::chrono_literals;
using sonavia::testing::MonitorCapture;
using sonavia::testing::SoundServer;
using Library = sonavia::testing::LoadedSpeechLibrary;
using Clock = std::chrono::steady_clock;

const char* const kLong =
    "Aquesta \xE9s una frase prou llarga per a poder-la aturar pel mig sense cap problema, "
    "i encara continua una bona estona m\xE9s. ";
const char* const kMedium = "Una frase de llargada mitjana, com les d'una p\xE0gina. ";
const char* const kShort = "Bon dia a tothom. ";

double Ms(Clock::duration d) {
  return std::chrono::duration<double, std::milli>(d).count();
}

bool Loud(int16_t s) {
  return s > 300 || s < -300;
}

// The first sample heard at or after `from`, as a time, or nullopt.
std::optional<Clock::time_point> FirstSoundAfter(const MonitorCapture& capture,
                                                 const std::vector<int16_t>& samples,
                                                 Clock::time_point from) {
  for (size_t i = 0; i < samples.size(); ++i) {
    if (Loud(samples[i]) && capture.TimeOf(i) >= from) return capture.TimeOf(i);
  }
  return std::nullopt;
}

// When the sound heard before `until` ended.
std::optional<Clock::time_point> LastSoundBefore(const MonitorCapture& capture,
                                                 const std::vector<int16_t>& samples,
                                                 Clock::time_point until) {
  std::optional<Clock::time_point> last;
  for (size_t i = 0; i < samples.size(); ++i) {
    if (capture.TimeOf(i) >= until) break;
    if (Loud(samples[i])) last = capture.TimeOf(i + 1);
  }
  return last;
}

struct Figures {
  double most = 0, total = 0;
  int count = 0;
  void Add(double ms) {
    most = std::max(most, ms);
    total += ms;
    ++count;
  }
  void Report(benchmark::State& state, const std::string& name) const {
    if (count == 0) return;
    state.counters[name + "_mean_ms"] = total / count;
    state.counters[name + "_max_ms"] = most;
  }
};

bool Begin(benchmark::State& state, SoundServer& server) {
  if (server.Start()) return true;
  state.SkipWithError(server.Error().c_str());
  return false;
}

void BM_ReadToSoundAndStopToSilence(benchmark::State& state) {
  SoundServer server;
  if (!Begin(state, server)) return;
  MonitorCapture capture(server);
  Library lib;
  lib.Read("a");
  lib.WaitIdle();
  std::vector<Clock::time_point> reads, stops;
  for (auto _ : state) {
    reads.push_back(Clock::now());
    lib.Read(kLong);
    std::this_thread::sleep_for(800ms);
    stops.push_back(Clock::now());
    lib.Stop();
    state.SetIterationTime(Ms(Clock::now() - stops.back()) / 1000);
    std::this_thread::sleep_for(400ms);
  }
  capture.Finish();
  const auto samples = capture.Samples();
  Figures start, silence;
  for (size_t i = 0; i < reads.size(); ++i) {
    if (const auto heard = FirstSoundAfter(capture, samples, reads[i])) {
      start.Add(Ms(*heard - reads[i]));
    }
    if (const auto end = LastSoundBefore(capture, samples, stops[i] + 350ms)) {
      silence.Add(Ms(*end - stops[i]));
    }
  }
  start.Report(state, "read_to_sound");
  silence.Report(state, "stop_to_silence");
}
BENCHMARK(BM_ReadToSoundAndStopToSilence)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(10);

// Every entry point, over and over, with the server stopped after the
// library reached it (`state.range(0)` 1) or before (0).
void BM_CallsWithAStoppedServer(benchmark::State& state) {
  SoundServer server;
  if (!Begin(state, server)) return;
  Library lib;
  if (state.range(0) == 1) {
    lib.Read(kShort);
    lib.WaitIdle();
  }
  server.Pause();
  const std::vector<std::pair<std::string, std::function<void()>>> calls = {
      {"Read", [&] { lib.Read(kLong); }},
      {"Status", [&] { lib.Status(0); }},
      {"SetSpeed", [&] { lib.SetSpeed(200); }},
      {"SetLanguage", [&] { lib.SetLanguage(99); }},
      {"SetSpeaker", [&] { lib.SetSpeaker(2); }},
      {"Sound", [&] { lib.Sound(); }},
      {"Stop", [&] { lib.Stop(); }}};
  Figures each;
  std::vector<Figures> byCall(calls.size());
  for (auto _ : state) {
    for (size_t i = 0; i < calls.size(); ++i) {
      const auto start = Clock::now();
      calls[i].second();
      const auto took = Clock::now() - start;
      each.Add(Ms(took));
      byCall[i].Add(Ms(took));
      state.SetIterationTime(Ms(took) / 1000);
      std::this_thread::sleep_for(20ms);
    }
  }
  for (size_t i = 0; i < calls.size(); ++i) {
    state.counters[calls[i].first + "_max_ms"] = byCall[i].most;
  }
  each.Report(state, "call");
  server.Resume();
}
BENCHMARK(BM_CallsWithAStoppedServer)
    ->Arg(1)
    ->Arg(0)
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond)
    ->Iterations(40);

// The library's share of the window's close: a Stop while a sentence is
// spoken, then the library freed; with the server running (0) and stopped
// (1). The window waits 1.5 s between the two, which is not counted here.
void BM_CloseWhileSpeaking(benchmark::State& state) {
  SoundServer server;
  if (!Begin(state, server)) return;
  {
    Library warm;  // the connection is made once for the process
    warm.Read(kShort);
    warm.WaitIdle();
  }
  if (state.range(0) == 1) server.Pause();
  Figures close;
  for (auto _ : state) {
    auto lib = std::make_unique<Library>();
    lib->Read(kLong);
    std::this_thread::sleep_for(500ms);
    const auto start = Clock::now();
    lib->Stop();
    lib.reset();
    const auto took = Clock::now() - start;
    close.Add(Ms(took));
    state.SetIterationTime(Ms(took) / 1000);
  }
  close.Report(state, "stop_and_free");
  server.Resume();
}
BENCHMARK(BM_CloseWhileSpeaking)
    ->Arg(0)
    ->Arg(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(10);

// A reading of short units, 500 ms apart as the window reads them; the
// server is killed in the middle of one and restarted at once. Counted
// from the server answering again: the time to the next sound heard; and
// from the next unit's Read: the time to its first sound.
void BM_SpeechBackAfterARestart(benchmark::State& state) {
  SoundServer server;
  if (!Begin(state, server)) return;
  Figures gap, next;
  for (auto _ : state) {
    Library lib;
    lib.Read(kShort);
    lib.WaitIdle();
    lib.Read(kMedium);
    std::this_thread::sleep_for(700ms);
    server.Kill();
    if (!server.Start()) {
      state.SkipWithError(server.Error().c_str());
      return;
    }
    const auto back = Clock::now();
    MonitorCapture capture(server);
    lib.WaitIdle();
    std::this_thread::sleep_for(500ms);
    const auto read = Clock::now();
    lib.Read(kShort);
    lib.WaitIdle();
    std::this_thread::sleep_for(200ms);
    capture.Finish();
    const auto samples = capture.Samples();
    if (const auto heard = FirstSoundAfter(capture, samples, back)) {
      gap.Add(Ms(*heard - back));
      next.Add(Ms(*heard - read));
      state.SetIterationTime(Ms(*heard - back) / 1000);
    } else {
      state.SkipWithError("nothing heard after the restart");
      return;
    }
  }
  gap.Report(state, "server_back_to_sound");
  next.Report(state, "next_read_to_sound");
}
BENCHMARK(BM_SpeechBackAfterARestart)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
