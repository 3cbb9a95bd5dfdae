#include "Session.h"

#include <espeak-ng/speak_lib.h>
#include <malloc.h>

#include <thread>

#include "TextPrep.h"
#include "VoiceChoice.h"
#include "upctv.h"

namespace upctv::engine {

namespace {

// How far ahead of real time samples are handed to the sound server: small,
// so that a stop silences speech at once even where flushing is slow. The
// player keeps this pace whether or not a server takes the samples, so the
// reading's clock is the same with sound and without.
constexpr auto kLead = std::chrono::milliseconds(60);
// How far synthesis may run ahead of playback. eSpeak NG is many times
// faster than speech, and a long text would otherwise be held whole as
// samples; its callback waits once this much is queued.
constexpr int kAheadSeconds = 2;
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

// eSpeak NG is one per process: a session's thread holds it from start to
// end, and the next session's thread waits for a late one to let go.
std::mutex gEspeakMu;
std::mutex gSessionMu;
std::shared_ptr<Session> gSession;

}  // namespace

int64_t EpochMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::system_clock::now().time_since_epoch())
      .count();
}

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
static int SynthCallback(short* wav, int numSamples, espeak_EVENT* events) noexcept {
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

void EndSession() {
  std::lock_guard lock(gSessionMu);
  gSession.reset();
}

}  // namespace upctv::engine
