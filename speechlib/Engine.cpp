#include "Engine.h"

#include <dlfcn.h>
#include <espeak-ng/speak_lib.h>
#include <pcaudiolib/audio.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <deque>
#include <fstream>
#include <iterator>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "Recorder.h"
#include "TextPrep.h"

namespace upctv::engine {

namespace {

using Clock = std::chrono::steady_clock;

constexpr int32_t kCatalan = 99;
constexpr int32_t kCastilian = 101;
constexpr int32_t kDefaultRate = 140;
// How far ahead of real time samples are handed to the sound server: small,
// so that a stop silences speech at once even where flushing is slow.
constexpr auto kLead = std::chrono::milliseconds(60);

struct Speaker {
  const char* variant;
  int pitch;
};
// Three voices told apart at once by ear: a low man's voice, a woman's
// voice, and a higher, brighter woman's voice.
constexpr Speaker kSpeakers[3] = {{"m1", 35}, {"f2", 50}, {"f4", 80}};

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

int64_t EpochMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::system_clock::now().time_since_epoch())
      .count();
}

// One load of the front library.
class Session {
 public:
  explicit Session(int sampleRate) : sampleRate_(sampleRate) {}

  std::mutex mu;
  std::condition_variable cv;
  std::deque<Chunk> queue;
  uint64_t gen = 0;  // the utterance that may play; others are stale
  uint64_t ackGen = 0;
  std::optional<Utterance> current;
  bool quit = false;
  bool exited = false;
  std::atomic<int64_t> firstSample{0};

  int32_t language = kCatalan;
  int32_t speaker = 0;
  int32_t rate = kDefaultRate;
  std::string appliedVoice;

  int SampleRate() const { return sampleRate_; }

  int64_t PlayedMs(const Utterance& u) const {
    if (!u.playStart) return 0;
    const auto elapsed =
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - *u.playStart).count();
    const auto samplesMs =
        static_cast<int64_t>(u.samplesPlayed * 1000 / static_cast<size_t>(sampleRate_));
    return std::min<int64_t>(elapsed, samplesMs);
  }

  // With `mu` held: ends the current utterance, recording it.
  void Finish(bool stopped) {
    if (!current) return;
    if (current->recording) current->recording->Finish(PlayedMs(*current), stopped);
    current.reset();
  }

  // With `mu` held: makes whatever is queued or playing stale.
  void StopLocked() {
    Finish(true);
    ++gen;
    queue.clear();
    cv.notify_all();
  }

  void PlayerMain();

 private:
  void OpenDevice();
  int sampleRate_;
  audio_object* device_ = nullptr;
};

std::mutex gApiMu;  // one caller at a time, whatever thread calls
std::mutex gSessionMu;
std::shared_ptr<Session> gSession;
std::atomic<bool> gReportedNoDevice{false};
std::string gAbout = "UPCTV 1.0 (eSpeak NG)";

std::shared_ptr<Session> CurrentSession() {
  std::lock_guard lock(gSessionMu);
  return gSession;
}

// ALSA reports a missing card with a page of its own messages at every
// open; the library says it once, in its own words.
void SilentAlsa(const char*, int, const char*, int, const char*, ...) {}

void QuietAlsa() {
  using Handler = void (*)(const char*, int, const char*, int, const char*, ...);
  using SetHandler = int (*)(Handler);
  void* alsa = dlopen("libasound.so.2", RTLD_NOW | RTLD_NOLOAD);
  if (alsa == nullptr) return;
  if (const auto set = reinterpret_cast<SetHandler>(dlsym(alsa, "snd_lib_error_set_handler"))) {
    set(SilentAlsa);
  }
  dlclose(alsa);
}

void Session::OpenDevice() {
  device_ = create_audio_device_object(nullptr, "Sonavia", "Sonavia");
  // Writes report success even after a failed open, so only the open's
  // own result says whether sound can be heard.
  if (device_ != nullptr && audio_object_open(device_, AUDIO_OBJECT_FORMAT_S16LE,
                                              static_cast<uint32_t>(sampleRate_), 1) == 0) {
    return;
  }
  if (device_ != nullptr) {
    audio_object_destroy(device_);
    device_ = nullptr;
  }
  if (!gReportedNoDevice.exchange(true)) {
    std::fprintf(stderr,
                 "upctv: no sound device could be opened; speech keeps its time in silence\n");
  }
}

void Session::PlayerMain() {
  OpenDevice();
  std::unique_lock lk(mu);
  bool flushPending = false;
  for (;;) {
    if (ackGen != gen) {
      if (flushPending && device_ != nullptr) {
        lk.unlock();
        audio_object_flush(device_);
        lk.lock();
      }
      flushPending = false;
      ackGen = gen;
      cv.notify_all();
      continue;
    }
    if (quit) break;
    if (queue.empty()) {
      cv.wait(lk);
      continue;
    }
    Chunk chunk = std::move(queue.front());
    queue.pop_front();
    if (!current || chunk.gen != current->gen) continue;
    Utterance& u = *current;
    const uint64_t g = chunk.gen;
    auto stale = [&] { return quit || gen != g; };
    if (chunk.end) {
      // Status stays busy until the last sample has been heard.
      const auto end =
          u.playStart ? *u.playStart + std::chrono::microseconds(u.samplesPlayed * 1000000 /
                                                                 static_cast<size_t>(sampleRate_))
                      : Clock::now();
      cv.wait_until(lk, end, stale);
      if (!stale()) Finish(false);
      continue;
    }
    if (!u.playStart) {
      u.playStart = Clock::now();
      firstSample =
          std::chrono::duration_cast<std::chrono::nanoseconds>(u.playStart->time_since_epoch())
              .count();
    }
    const auto due =
        *u.playStart +
        std::chrono::microseconds(u.samplesPlayed * 1000000 / static_cast<size_t>(sampleRate_)) -
        kLead;
    cv.wait_until(lk, due, stale);
    if (stale()) continue;
    if (u.recording) u.recording->AddSamples(chunk.samples.data(), chunk.samples.size());
    u.samplesPlayed += chunk.samples.size();
    flushPending = true;
    if (device_ != nullptr) {
      lk.unlock();
      audio_object_write(device_, chunk.samples.data(), chunk.samples.size() * sizeof(int16_t));
      lk.lock();
    }
  }
  if (device_ != nullptr) {
    lk.unlock();
    audio_object_flush(device_);
    audio_object_close(device_);
    audio_object_destroy(device_);
    lk.lock();
    device_ = nullptr;
  }
  exited = true;
  cv.notify_all();
}

// Runs on eSpeak NG's own thread.
int SynthCallback(short* wav, int numSamples, espeak_EVENT* events) {
  const auto session = CurrentSession();
  if (!session || events == nullptr) return 1;
  const auto g = static_cast<uint64_t>(reinterpret_cast<uintptr_t>(events->user_data));
  std::lock_guard lock(session->mu);
  if (g != session->gen) return 1;  // abandoned: stop synthesising it
  if (wav != nullptr && numSamples > 0) {
    session->queue.push_back(Chunk{g, std::vector<int16_t>(wav, wav + numSamples), false});
  }
  for (espeak_EVENT* e = events; e->type != espeakEVENT_LIST_TERMINATED; ++e) {
    if (e->type == espeakEVENT_MSG_TERMINATED) session->queue.push_back(Chunk{g, {}, true});
  }
  session->cv.notify_all();
  return 0;
}

// Starts a session at the first call after a load.
std::shared_ptr<Session> EnsureStarted() {
  if (auto session = CurrentSession()) return session;
  QuietAlsa();
  const int rate = espeak_Initialize(AUDIO_OUTPUT_RETRIEVAL, 50, nullptr, 0);
  if (rate <= 0) return nullptr;
  espeak_SetSynthCallback(SynthCallback);
  auto session = std::make_shared<Session>(rate);
  // eSpeak NG's queue hangs in a cancel or a terminate until it has taken
  // a first command; the fresh session's voice is that command, and it is
  // then ready when the first text comes.
  session->appliedVoice = std::string("ca+") + kSpeakers[0].variant;
  espeak_SetVoiceByName(session->appliedVoice.c_str());
  espeak_SetParameter(espeakRATE, kDefaultRate, 0);
  {
    std::lock_guard lock(gSessionMu);
    gSession = session;
  }
  std::thread([session] { session->PlayerMain(); }).detach();
  return session;
}

// Waits, within reason, for the player to let go of a stale utterance.
void AwaitPlayer(Session& s, std::unique_lock<std::mutex>& lk) {
  s.cv.wait_for(lk, std::chrono::milliseconds(250), [&] { return s.ackGen == s.gen || s.exited; });
}

void Speak(const std::string& text1252) {
  auto session = EnsureStarted();
  if (!session) return;
  Session& s = *session;
  uint64_t g;
  bool stopped = false;
  int32_t language, speaker, rate;
  {
    std::unique_lock lk(s.mu);
    if (s.current) {
      s.StopLocked();
      stopped = true;
    }
    language = s.language;
    speaker = s.speaker;
    rate = s.rate;
    g = ++s.gen;
    s.current.emplace();
    s.current->gen = g;
    s.current->recording = std::make_unique<Recording>(s.SampleRate(), EpochMs(), language, speaker,
                                                       rate, upctv::Cp1252ToUtf8(text1252));
  }
  if (stopped) espeak_Cancel();
  const std::string utf8 = PrepareForSpeech(text1252);
  // Ends the utterance at once: nothing of it will be heard.
  auto endNow = [&s, g] {
    std::lock_guard lock(s.mu);
    if (s.gen == g) s.queue.push_back(Chunk{g, {}, true});
    s.cv.notify_all();
  };
  if (utf8.find_first_not_of(' ') == std::string::npos) {
    endNow();
    return;
  }
  const std::string voice =
      std::string(language == kCastilian ? "es" : "ca") + "+" + kSpeakers[speaker].variant;
  if (voice != s.appliedVoice) {
    espeak_SetVoiceByName(voice.c_str());
    s.appliedVoice = voice;
  }
  espeak_SetParameter(espeakRATE, rate, 0);
  espeak_SetParameter(espeakPITCH, kSpeakers[speaker].pitch, 0);
  // A text eSpeak NG refuses would otherwise keep the status busy for ever.
  if (espeak_Synth(utf8.c_str(), utf8.size() + 1, 0, POS_CHARACTER, 0, espeakCHARS_UTF8, nullptr,
                   reinterpret_cast<void*>(static_cast<uintptr_t>(g))) != EE_OK) {
    endNow();
  }
}

}  // namespace

const char* About() {
  return gAbout.c_str();
}

void Read(const char* text) {
  if (text == nullptr) return;
  std::lock_guard api(gApiMu);
  Speak(text);
}

void ReadFile(const char* path) {
  if (path == nullptr) return;
  std::ifstream file(path, std::ios::binary);
  if (!file) return;
  const std::string text{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
  std::lock_guard api(gApiMu);
  Speak(text);
}

void Stop() {
  std::lock_guard api(gApiMu);
  auto session = CurrentSession();
  if (!session) return;
  {
    std::unique_lock lk(session->mu);
    session->StopLocked();
  }
  espeak_Cancel();
  std::unique_lock lk(session->mu);
  AwaitPlayer(*session, lk);
}

namespace {

// The settings are only touched by callers, one at a time: they apply to
// the next Read.
void Apply(int32_t Session::*setting, int32_t value) {
  std::lock_guard api(gApiMu);
  if (auto s = EnsureStarted()) (*s).*setting = value;
}

}  // namespace

void SetLanguage(int32_t language) {
  if (language == kCatalan || language == kCastilian) Apply(&Session::language, language);
}

void SetSpeed(int32_t rate) {
  if (rate >= 1 && rate <= 255) Apply(&Session::rate, rate);
}

void SetSpeaker(int32_t speaker) {
  if (speaker >= 0 && speaker <= 2) Apply(&Session::speaker, speaker);
}

int32_t Status() {
  auto s = CurrentSession();
  if (!s) return 0;
  std::lock_guard lock(s->mu);
  return s->current ? 1 : 0;
}

void Shutdown() {
  std::lock_guard api(gApiMu);
  auto session = CurrentSession();
  if (!session) return;
  {
    std::lock_guard lk(session->mu);
    session->StopLocked();
    session->quit = true;
    session->cv.notify_all();
  }
  espeak_Cancel();
  {
    std::unique_lock lk(session->mu);
    // The player closes the device; it may be stuck opening one, in which
    // case it finishes on its own, since this code never goes away.
    session->cv.wait_for(lk, std::chrono::seconds(1), [&] { return session->exited; });
  }
  {
    std::lock_guard lock(gSessionMu);
    gSession.reset();
  }
  espeak_Terminate();
}

int64_t FirstSampleTime() {
  auto s = CurrentSession();
  return s ? s->firstSample.load() : 0;
}

}  // namespace upctv::engine
