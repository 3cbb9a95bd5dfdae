#include "Engine.h"

#include <espeak-ng/speak_lib.h>
#include <malloc.h>
#include <sys/stat.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "Recorder.h"
#include "SoundOutput.h"
#include "TextPrep.h"
#include "VoiceChoice.h"
#include "upctv.h"

namespace upctv::engine {

namespace {

using Clock = std::chrono::steady_clock;

constexpr int32_t kCatalan = 99;
constexpr int32_t kCastilian = 101;
constexpr int32_t kDefaultRate = 140;
// How far ahead of real time samples are handed to the sound server: small,
// so that a stop silences speech at once even where flushing is slow. The
// player keeps this pace whether or not a server takes the samples, so the
// reading's clock is the same with sound and without.
constexpr auto kLead = std::chrono::milliseconds(60);
// How far synthesis may run ahead of playback. eSpeak NG is many times
// faster than speech, and a long text would otherwise be held whole as
// samples; its callback waits once this much is queued.
constexpr int kAheadSeconds = 2;
// eSpeak NG always synthesises at this rate, and the sound output plays it.
constexpr int kSampleRate = SoundOutput::kSampleRate;
// Marks the silent text a session starts eSpeak NG with; texts to speak
// carry their generation, which never comes near it.
constexpr uintptr_t kPrimeTag = UINTPTR_MAX;

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

// A text handed over by Read, for the synthesis thread.
struct Request {
  uint64_t gen;
  std::string text1252;
  int32_t language, speaker, rate;
  int64_t epochMs;
  // A language named by upcTVSetLanguageName, and the voice found for it
  // (empty when none speaks it: `language` reads the text then).
  std::string languageName;
  std::string voice;
};

int64_t EpochMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::system_clock::now().time_since_epoch())
      .count();
}

// One load of the front library. Callers only hand over requests; every
// eSpeak NG call happens on the synthesis thread, so that no caller waits
// for a cancel, and the player thread keeps the pace of speech.
class Session {
 public:
  std::mutex mu;
  std::condition_variable cv;
  std::deque<Chunk> queue;
  size_t queuedSamples = 0;
  std::deque<Request> requests;
  bool cancelWanted = false;
  uint64_t gen = 0;  // the utterance that may play; others are stale
  uint64_t ackGen = 0;
  std::optional<Utterance> current;
  bool quit = false;
  bool playerExited = false;
  bool synthExited = false;
  bool primed = false;  // eSpeak NG has done the session's first commands
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

  // With `mu` held: makes whatever is queued or playing stale.
  void StopLocked() {
    Finish(true);
    ++gen;
    ClearQueue();
    cancelWanted = true;
    cv.notify_all();
  }

  void PlayerMain();
  void SynthMain();

 private:
  void Synthesize(Request& request, std::string& appliedVoice);
};

std::mutex gApiMu;  // one caller at a time, whatever thread calls
// eSpeak NG is one per process: a session's thread holds it from start to
// end, and the next session's thread waits for a late one to let go.
std::mutex gEspeakMu;
std::mutex gSessionMu;
std::shared_ptr<Session> gSession;
std::string gAbout = "UPCTV 1.0 (eSpeak NG)";

std::shared_ptr<Session> CurrentSession() {
  std::lock_guard lock(gSessionMu);
  return gSession;
}

// Never waits on the sound server: the output takes samples or drops them
// at once.
void Session::PlayerMain() {
  SoundOutput& output = SoundOutput::Instance();
  std::unique_lock lk(mu);
  bool flushPending = false;
  for (;;) {
    if (ackGen != gen) {
      if (flushPending) {
        lk.unlock();
        output.Flush();
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
    queuedSamples -= chunk.samples.size();
    cv.notify_all();  // room for synthesis to go on
    if (!current || chunk.gen != current->gen) continue;
    Utterance& u = *current;
    const uint64_t g = chunk.gen;
    auto stale = [&] { return quit || gen != g; };
    const auto rateNow = static_cast<size_t>(sampleRate);
    if (chunk.end) {
      // Status stays busy until the last sample has been heard.
      const auto end =
          u.playStart
              ? *u.playStart + std::chrono::microseconds(u.samplesPlayed * 1000000 / rateNow)
              : Clock::now();
      cv.wait_until(lk, end, stale);
      if (!stale()) Finish(false);
      continue;
    }
    if (!u.playStart) {
      // A server that went away, or was not there, is looked for again.
      lk.unlock();
      output.Prepare();
      lk.lock();
      if (stale()) continue;
      u.playStart = Clock::now();
      firstSample =
          std::chrono::duration_cast<std::chrono::nanoseconds>(u.playStart->time_since_epoch())
              .count();
    }
    const auto due =
        *u.playStart + std::chrono::microseconds(u.samplesPlayed * 1000000 / rateNow) - kLead;
    cv.wait_until(lk, due, stale);
    if (stale()) continue;
    if (u.recording) u.recording->AddSamples(chunk.samples.data(), chunk.samples.size());
    u.samplesPlayed += chunk.samples.size();
    flushPending = true;
    // Taken while the text is known to be current: a Stop after this
    // point flushes the output, which then refuses these samples.
    const uint64_t ticket = output.Ticket();
    lk.unlock();
    output.Write(chunk.samples.data(), chunk.samples.size(), ticket);
    lk.lock();
  }
  playerExited = true;
  cv.notify_all();
}

// Runs on eSpeak NG's own thread, which must never see an exception.
int SynthCallback(short* wav, int numSamples, espeak_EVENT* events) noexcept {
  try {
    const auto session = CurrentSession();
    if (!session || events == nullptr) return 1;
    Session& s = *session;
    const auto g = static_cast<uint64_t>(reinterpret_cast<uintptr_t>(events->user_data));
    std::unique_lock lk(s.mu);
    if (g == kPrimeTag) {
      for (espeak_EVENT* e = events; e->type != espeakEVENT_LIST_TERMINATED; ++e) {
        if (e->type == espeakEVENT_MSG_TERMINATED) s.primed = true;
      }
      s.cv.notify_all();
      return 0;
    }
    const auto ahead = static_cast<size_t>(kAheadSeconds) * static_cast<size_t>(s.sampleRate);
    // Synthesis waits for the player here; a Stop, a new Read or the end
    // of the session wakes it to give up.
    s.cv.wait(lk, [&] { return g != s.gen || s.quit || s.queuedSamples < ahead; });
    if (g != s.gen || s.quit) return 1;  // abandoned: stop synthesising it
    if (wav != nullptr && numSamples > 0) {
      // Copied with the lock let go, so that a caller's Read never waits
      // for it.
      lk.unlock();
      Chunk chunk{g, std::vector<int16_t>(wav, wav + numSamples), false};
      lk.lock();
      if (g != s.gen || s.quit) return 1;
      s.queue.push_back(std::move(chunk));
      s.queuedSamples += static_cast<size_t>(numSamples);
    }
    for (espeak_EVENT* e = events; e->type != espeakEVENT_LIST_TERMINATED; ++e) {
      if (e->type == espeakEVENT_MSG_TERMINATED) s.queue.push_back(Chunk{g, {}, true});
    }
    s.cv.notify_all();
    return 0;
  } catch (...) {
    return 1;
  }
}

void Session::Synthesize(Request& request, std::string& appliedVoice) {
  const uint64_t g = request.gen;
  // Ends the utterance at once: nothing of it will be heard.
  auto endNow = [this, g] {
    std::lock_guard lock(mu);
    if (gen == g) queue.push_back(Chunk{g, {}, true});
    cv.notify_all();
  };
  std::string utf8 = PrepareForSpeech(request.text1252);
  std::string().swap(request.text1252);
  if (utf8.find_first_not_of(' ') == std::string::npos) {
    endNow();
    return;
  }
  const std::string voice =
      (request.voice.empty() ? std::string(request.language == kCastilian ? "es" : "ca")
                             : request.voice) +
      "+" + kSpeakers[request.speaker].variant;
  if (voice != appliedVoice) {
    espeak_SetVoiceByName(voice.c_str());
    appliedVoice = voice;
  }
  espeak_SetParameter(espeakRATE, request.rate, 0);
  espeak_SetParameter(espeakPITCH, kSpeakers[request.speaker].pitch, 0);
  // A text eSpeak NG refuses would otherwise keep the status busy for ever.
  if (espeak_Synth(utf8.c_str(), utf8.size() + 1, 0, POS_CHARACTER, 0, espeakCHARS_UTF8, nullptr,
                   reinterpret_cast<void*>(static_cast<uintptr_t>(g))) != EE_OK) {
    endNow();
  }
}

void Session::SynthMain() {
  std::lock_guard espeak(gEspeakMu);
  // Without eSpeak NG at the expected rate every text ends unheard.
  const bool speaks = espeak_Initialize(AUDIO_OUTPUT_RETRIEVAL, 50, nullptr, 0) == kSampleRate;
  std::string appliedVoice;
  if (speaks) {
    espeak_SetSynthCallback(SynthCallback);
    // eSpeak NG's queue hangs in a cancel or a terminate until it has taken
    // a first command, and a command it has not done when cancelled is
    // lost with its memory. The fresh session's voice is that command; a
    // silent text after it says when it has been done, and the session
    // goes on from there, so that even a session ended at once ends cleanly.
    appliedVoice = std::string("ca+") + kSpeakers[0].variant;
    espeak_SetVoiceByName(appliedVoice.c_str());
    espeak_SetParameter(espeakRATE, kDefaultRate, 0);
    if (espeak_Synth(" ", 2, 0, POS_CHARACTER, 0, espeakCHARS_UTF8, nullptr,
                     reinterpret_cast<void*>(kPrimeTag)) == EE_OK) {
      std::unique_lock lk(mu);
      cv.wait_for(lk, std::chrono::seconds(5), [&] { return primed; });
    }
  }
  std::unique_lock lk(mu);
  for (;;) {
    cv.wait(lk, [&] { return quit || cancelWanted || !requests.empty(); });
    if (cancelWanted || quit) {
      cancelWanted = false;
      if (speaks) {
        lk.unlock();
        espeak_Cancel();
        // What a long text left in the heap goes back to the system.
        malloc_trim(0);
        lk.lock();
      }
      if (quit) break;
      continue;
    }
    Request request = std::move(requests.front());
    requests.pop_front();
    const bool live = current && current->gen == request.gen && speaks;
    lk.unlock();
    try {
      if (speaks && !request.languageName.empty()) {
        request.voice = ChooseVoice(InstalledVoices(), request.languageName);
      }
      // The language as it is heard: the one named, when a voice speaks it.
      const std::string heard =
          request.voice.empty() ? std::to_string(request.language) : request.languageName;
      auto recording = std::make_unique<Recording>(sampleRate, request.epochMs, heard,
                                                   request.speaker, request.rate, request.text1252);
      lk.lock();
      if (live && current && current->gen == request.gen) {
        current->recording = std::move(recording);
        lk.unlock();
        Synthesize(request, appliedVoice);
      } else {
        // Stopped or replaced before it started, or no speech at all.
        recording->Finish(0, !live);
        if (current && current->gen == request.gen) current.reset();
        lk.unlock();
      }
    } catch (...) {
      // Out of memory for this text: it ends unheard.
      std::lock_guard lock(mu);
      if (current && current->gen == request.gen) current.reset();
    }
    lk.lock();
  }
  lk.unlock();
  if (speaks) espeak_Terminate();
  lk.lock();
  synthExited = true;
  cv.notify_all();
}

// Starts a session at the first call after a load; eSpeak NG itself starts
// on the session's thread.
std::shared_ptr<Session> EnsureStarted() {
  if (auto session = CurrentSession()) return session;
  // Made here and not on the session's threads, which may still be
  // starting when an unload ends the session; the connection itself is
  // begun at once, so that it is there by the first utterance.
  SoundOutput::Instance().Prepare();
  auto session = std::make_shared<Session>();
  {
    std::lock_guard lock(gSessionMu);
    gSession = session;
  }
  std::thread([session] { session->SynthMain(); }).detach();
  std::thread([session] { session->PlayerMain(); }).detach();
  return session;
}

void Speak(std::string text1252) {
  auto session = EnsureStarted();
  Session& s = *session;
  std::lock_guard lk(s.mu);
  if (s.current) s.StopLocked();
  // Texts replaced before their turn are dropped, unless each is recorded.
  if (!Recording::Enabled()) s.requests.clear();
  const uint64_t g = ++s.gen;
  // Made current only once handed over, so that a failure leaves no text
  // that would keep the status busy.
  s.requests.push_back(Request{
      g, std::move(text1252), s.language, s.speaker, s.rate, EpochMs(), s.languageName, {}});
  s.current.emplace();
  s.current->gen = g;
  s.cv.notify_all();
}

}  // namespace

const char* About() {
  return gAbout.c_str();
}

void Read(const char* text) {
  if (text == nullptr) return;
  std::string copy(text);
  std::lock_guard api(gApiMu);
  Speak(std::move(copy));
}

bool ReadFile(const char* path) {
  if (path == nullptr) return false;
  // Only a regular file, read in one go: a directory, a device or a pipe
  // could never end or never fit.
  struct stat info {};
  if (stat(path, &info) != 0 || !S_ISREG(info.st_mode) || info.st_size < 0 ||
      static_cast<uint64_t>(info.st_size) > UPCTV_MAX_FILE_BYTES) {
    return false;
  }
  std::FILE* file = std::fopen(path, "rb");
  if (file == nullptr) return false;
  std::string text(static_cast<size_t>(info.st_size), '\0');
  const size_t got = std::fread(text.data(), 1, text.size(), file);
  const bool more = std::fgetc(file) != EOF;  // grew since: refused as too long
  std::fclose(file);
  if (more) return false;
  text.resize(got);
  // Up to the first NUL, as a text handed to Read would be.
  text.resize(std::min(text.size(), std::strlen(text.c_str())));
  std::lock_guard api(gApiMu);
  Speak(std::move(text));
  return true;
}

void Stop() {
  std::lock_guard api(gApiMu);
  auto session = CurrentSession();
  if (!session) return;
  {
    std::lock_guard lk(session->mu);
    session->StopLocked();
    if (!Recording::Enabled()) session->requests.clear();
  }
  // Silent from here, without waiting for the player: samples it is about
  // to hand over for the stopped text carry an older ticket and are refused.
  SoundOutput::Instance().Flush();
}

namespace {

// The settings are only touched by callers, one at a time: they apply to
// the next Read.
void Apply(int32_t Session::*setting, int32_t value) {
  std::lock_guard api(gApiMu);
  auto s = EnsureStarted();
  std::lock_guard lk(s->mu);
  (*s).*setting = value;
}

}  // namespace

void SetLanguage(int32_t language) {
  if (language != kCatalan && language != kCastilian) return;
  std::lock_guard api(gApiMu);
  auto s = EnsureStarted();
  std::lock_guard lk(s->mu);
  s->language = language;
  // The last choice holds: a language by its code ends one by its name.
  s->languageName.clear();
}

bool SetLanguageName(const char* name) {
  if (name == nullptr) return false;
  const std::string normal = NormalLanguageName(name);
  if (normal.empty() && *name != '\0') return false;
  std::lock_guard api(gApiMu);
  auto s = EnsureStarted();
  std::lock_guard lk(s->mu);
  s->languageName = normal;
  return true;
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
    std::unique_lock lk(session->mu);
    session->StopLocked();
    session->requests.clear();
    session->quit = true;
    session->cv.notify_all();
    session->cv.wait_for(lk, std::chrono::seconds(3), [&] { return session->synthExited; });
    // The player never waits on the sound server, so it ends at once.
    session->cv.wait_for(lk, std::chrono::seconds(1), [&] { return session->playerExited; });
  }
  std::lock_guard lock(gSessionMu);
  gSession.reset();
}

int32_t Sound() {
  {
    std::lock_guard api(gApiMu);
    EnsureStarted();
  }
  return SoundOutput::Instance().Heard();
}

int64_t FirstSampleTime() {
  auto s = CurrentSession();
  return s ? s->firstSample.load() : 0;
}

}  // namespace upctv::engine
