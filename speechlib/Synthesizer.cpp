#include "Synthesizer.h"

#include <espeak-ng/speak_lib.h>
#include <malloc.h>
#include <pthread.h>

#include <algorithm>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <mutex>
#include <string>
#include <thread>

#include "Engine.h"
#include "Rate.h"
#include "Session.h"
#include "TextPrep.h"
#include "VoiceChoice.h"

namespace upctv::engine {

namespace {

// How far synthesis may run ahead of playback. eSpeak NG is many times
// faster than speech, and a long text would otherwise be held whole as
// samples; its callback waits once this much is queued.
constexpr int kAheadSeconds = 2;
// eSpeak NG hands its samples over in buffers of this length, and a Stop
// is noticed at the next one.
constexpr int kBufferMs = 50;

struct Speaker {
  const char* variant;
  int pitch;
};
// Three voices told apart at once by ear: a low man's voice, a woman's
// voice, and a higher, brighter woman's voice.
constexpr Speaker kSpeakers[3] = {{"m1", 35}, {"f2", 50}, {"f4", 80}};

// The text being synthesised, for the callback that eSpeak NG makes inside
// espeak_Synth. Only the synthesis thread touches it.
struct Job {
  Session* session;
  uint64_t gen;
  TimeScale* scale;
};
Job* gJob = nullptr;

// eSpeak NG's callback, on the synthesis thread; it must never see an
// exception. Returning 1 ends the text.
int OnSamples(short* wav, int numSamples, espeak_EVENT* /*events*/) noexcept {
  try {
    if (gJob == nullptr) return 1;
    Session& s = *gJob->session;
    const uint64_t g = gJob->gen;
    const auto ahead = static_cast<size_t>(kAheadSeconds) * static_cast<size_t>(s.sampleRate);
    std::unique_lock lk(s.mu);
    // Synthesis waits for the player here; a Stop, a new Read or the end
    // of the session wakes it to give up.
    s.cv.wait(lk, [&] { return g != s.gen || s.quit || s.queuedSamples < ahead; });
    if (g != s.gen || s.quit) return 1;
    if (wav != nullptr && numSamples > 0) {
      // Copied, at the rate's speed, with the lock let go, so that a
      // caller's Read never waits for it.
      lk.unlock();
      Chunk chunk{g, gJob->scale->Put(wav, numSamples), false};
      lk.lock();
      if (g != s.gen || s.quit) return 1;
      s.queuedSamples += chunk.samples.size();
      s.queue.push_back(std::move(chunk));
      s.cv.notify_all();
    }
    return 0;
  } catch (...) {
    return 1;
  }
}

// eSpeak NG 1.51 looks past the last word of a clause for the vowels of a
// next word and stops only at a space (MatchRule's RULE_SYLLABLE; later
// versions stop at the end of the text), so it reads on into the stack
// above its clause buffer, as far as the first space there. Called from
// here, it meets this band at the latest, whatever the stack held before;
// on a fresh stack, which may hold none, the search ran off its end. Not
// instrumented, so that the band stays on the thread's own stack.
__attribute__((noinline, no_sanitize("address"))) espeak_ERROR SynthBelowSpaces(
    const std::string& text) {
  char spaces[64];
  std::memset(spaces, ' ', sizeof spaces);
  // The band is filled before the call and kept until it returns, though
  // nothing here reads it.
  asm volatile("" : : "r"(spaces) : "memory");
  const espeak_ERROR result = espeak_Synth(text.c_str(), text.size() + 1, 0, POS_CHARACTER, 0,
                                           espeakCHARS_UTF8, nullptr, nullptr);
  asm volatile("" : : "r"(spaces) : "memory");
  return result;
}

class Synthesizer {
 public:
  // Never destroyed: its thread runs until the process ends.
  static Synthesizer& Instance() {
    static Synthesizer* const instance = new Synthesizer;
    return *instance;
  }

  void Add(std::shared_ptr<Session> session) {
    {
      std::lock_guard lock(mu_);
      if (std::find(waiting_.begin(), waiting_.end(), session) == waiting_.end()) {
        waiting_.push_back(std::move(session));
      }
    }
    cv_.notify_all();
  }

  void Trim() {
    {
      std::lock_guard lock(mu_);
      trim_ = true;
    }
    cv_.notify_all();
  }

 private:
  Synthesizer() {
    std::thread([this] { Main(); }).detach();
  }

  void Main();
  void Serve(Session& s);
  void Speak(Session& s, Request& request);

  std::mutex mu_;
  std::condition_variable cv_;
  std::deque<std::shared_ptr<Session>> waiting_;  // sessions that may have requests
  bool trim_ = false;
  // The synthesis thread's own.
  bool speaks_ = false;
  std::string appliedVoice_;
};

void Synthesizer::Main() {
  pthread_setname_np(pthread_self(), "upctv-synth");
  // Without eSpeak NG at the expected rate every text ends unheard.
  speaks_ = espeak_Initialize(AUDIO_OUTPUT_SYNCHRONOUS, kBufferMs, nullptr,
                              espeakINITIALIZE_DONT_EXIT) == kSampleRate;
  if (speaks_) espeak_SetSynthCallback(OnSamples);
  std::unique_lock lk(mu_);
  for (;;) {
    cv_.wait(lk, [&] { return !waiting_.empty() || trim_; });
    if (!waiting_.empty()) {
      std::shared_ptr<Session> session = std::move(waiting_.front());
      waiting_.pop_front();
      lk.unlock();
      Serve(*session);
      session.reset();
      lk.lock();
      continue;
    }
    trim_ = false;
    lk.unlock();
    // What a long text left in the heap goes back to the system.
    malloc_trim(0);
    lk.lock();
  }
}

// Takes the session's requests one by one until none is left or the
// session has ended.
void Synthesizer::Serve(Session& s) {
  std::unique_lock lk(s.mu);
  while (!s.quit && !s.requests.empty()) {
    Request request = std::move(s.requests.front());
    s.requests.pop_front();
    s.synthesizing = true;
    const bool live = s.current && s.current->gen == request.gen && speaks_;
    lk.unlock();
    try {
      if (speaks_ && !request.languageName.empty()) {
        request.voice = ChooseVoice(InstalledVoices(), request.languageName);
      }
      // The language as it is heard: the one named, when a voice speaks it.
      const std::string heard =
          request.voice.empty() ? std::to_string(request.language) : request.languageName;
      // Muted, a text keeps its time and leaves no trace of being heard.
      auto recording =
          Muted() ? nullptr
                  : std::make_unique<Recording>(s.sampleRate, request.epochMs, heard,
                                                request.speaker, request.rate, request.text);
      lk.lock();
      if (live && s.current && s.current->gen == request.gen) {
        s.current->recording = std::move(recording);
        lk.unlock();
        Speak(s, request);
      } else {
        // Stopped or replaced before it started, or no speech at all.
        if (recording) recording->Finish(0, !live);
        if (s.current && s.current->gen == request.gen) s.current.reset();
        lk.unlock();
      }
    } catch (...) {
      // Out of memory for this text: it ends unheard.
      if (!lk.owns_lock()) lk.lock();
      if (s.current && s.current->gen == request.gen) s.current.reset();
    }
    if (!lk.owns_lock()) lk.lock();
  }
  s.synthesizing = false;
  s.cv.notify_all();
}

void Synthesizer::Speak(Session& s, Request& request) {
  const uint64_t g = request.gen;
  // The text's last samples are queued: the player ends it after them.
  auto end = [&s, g] {
    std::lock_guard lock(s.mu);
    if (s.gen == g) s.queue.push_back(Chunk{g, {}, true});
    s.cv.notify_all();
  };
  std::string utf8 = PrepareForSpeech(request.text);
  std::string().swap(request.text);
  if (utf8.find_first_not_of(' ') == std::string::npos) {
    end();
    return;
  }
  const std::string voice =
      (request.voice.empty() ? std::string(request.language == kCastilian ? "es" : "ca")
                             : request.voice) +
      "+" + kSpeakers[request.speaker].variant;
  if (voice != appliedVoice_) {
    espeak_SetVoiceByName(voice.c_str());
    appliedVoice_ = voice;
  }
  // eSpeak NG at one rate; the rate's speed comes from the time-scaling.
  espeak_SetParameter(espeakRATE, kNativeWordsPerMinute, 0);
  espeak_SetParameter(espeakPITCH, kSpeakers[request.speaker].pitch, 0);
  TimeScale scale(s.sampleRate, SpeedFactor(request.rate));
  Job job{&s, g, &scale};
  gJob = &job;
  // Spoken whole, given up at a Stop, or refused: either way it ends here,
  // and a refused text does not keep the status busy.
  SynthBelowSpaces(utf8);
  gJob = nullptr;
  // What the time-scaling still holds ends the text.
  std::vector<int16_t> rest = scale.End();
  if (!rest.empty()) {
    std::lock_guard lock(s.mu);
    if (s.gen == g && !s.quit) {
      s.queuedSamples += rest.size();
      s.queue.push_back(Chunk{g, std::move(rest), false});
      s.cv.notify_all();
    }
  }
  end();
}

}  // namespace

void Synthesize(std::shared_ptr<Session> session) {
  Synthesizer::Instance().Add(std::move(session));
}

void TrimMemory() {
  Synthesizer::Instance().Trim();
}

}  // namespace upctv::engine
