// A session of the speech engine: what a load of the front library
// shares between its callers, its synthesis thread and its player thread.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "Recorder.h"
#include "SoundOutput.h"

namespace upctv::engine {

using Clock = std::chrono::steady_clock;

constexpr int32_t kCatalan = 99;
constexpr int32_t kCastilian = 101;
constexpr int32_t kDefaultRate = 140;
// eSpeak NG always synthesises at this rate, and the sound output plays it.
constexpr int kSampleRate = SoundOutput::kSampleRate;
struct Chunk {
  uint64_t gen;
  std::vector<int16_t> samples;
  bool end;
};

struct Utterance {
  uint64_t gen;
  std::unique_ptr<Recording> recording;
  std::optional<Clock::time_point> playStart;
  size_t samplesPlayed = 0;
};

// A text handed over by Read, for the synthesis thread.
struct Request {
  uint64_t gen;
  std::string text;  // UTF-8, as the caller gave it
  int32_t language, speaker, rate;
  int64_t epochMs;
  // A language named by upcTVSetLanguageName, and the voice found for it
  // (empty when none speaks it: `language` reads the text then).
  std::string languageName;
  std::string voice;
};

int64_t EpochMs();

// One load of the front library. Callers only hand over requests, which
// the process's one synthesis thread takes (Synthesizer.h), so that no
// caller waits for eSpeak NG; the session's player thread keeps the pace of
// speech.
class Session {
 public:
  std::mutex mu;
  std::condition_variable cv;
  std::deque<Chunk> queue;
  size_t queuedSamples = 0;
  std::deque<Request> requests;
  uint64_t gen = 0;  // the utterance that may play; others are stale
  uint64_t ackGen = 0;
  std::optional<Utterance> current;
  bool quit = false;
  bool playerExited = false;
  bool synthesizing = false;  // the synthesis thread is on one of its requests
  const int sampleRate = kSampleRate;
  std::atomic<int64_t> firstSample{0};

  int32_t language = kCatalan;
  std::string languageName;  // a language named by name; empty for none
  int32_t speaker = 0;
  int32_t rate = kDefaultRate;

  int64_t PlayedMs(const Utterance& u) const {
    if (!u.playStart) return 0;
    const auto elapsed =
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - *u.playStart).count();
    const auto samplesMs =
        static_cast<int64_t>(u.samplesPlayed * 1000 / static_cast<size_t>(sampleRate));
    return std::min<int64_t>(elapsed, samplesMs);
  }

  // With `mu` held: ends the current utterance, recording it.
  void Finish(bool stopped) {
    if (!current) return;
    if (current->recording) current->recording->Finish(PlayedMs(*current), stopped);
    current.reset();
  }

  void ClearQueue() {
    // A fresh deque, so that the memory of a long queue goes back at once.
    std::deque<Chunk>().swap(queue);
    queuedSamples = 0;
  }

  // With `mu` held: makes whatever is queued or playing stale; a synthesis
  // of it gives up at its next samples.
  void StopLocked() {
    Finish(true);
    ++gen;
    ClearQueue();
    cv.notify_all();
  }

  void PlayerMain();
};

// The session of the current load, if it has started.
std::shared_ptr<Session> CurrentSession();
// Starts a session at the first call after a load.
std::shared_ptr<Session> EnsureStarted();
// Lets go of the current session, once its threads are told to end.
void EndSession();

}  // namespace upctv::engine
