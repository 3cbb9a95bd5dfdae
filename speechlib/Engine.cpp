#include "Engine.h"

#include <sys/stat.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <string>
#include <string_view>

#include "Recorder.h"
#include "Session.h"
#include "SoundOutput.h"
#include "Synthesizer.h"
#include "TextPrep.h"
#include "VoiceChoice.h"
#include "upctv.h"

namespace upctv::engine {

namespace {

std::mutex gApiMu;  // one caller at a time, whatever thread calls
std::string gAbout = "UPCTV 1.0 (eSpeak NG)";

void Speak(std::string text) {
  auto session = EnsureStarted();
  Session& s = *session;
  {
    std::lock_guard lk(s.mu);
    if (s.current) s.StopLocked();
    // Texts replaced before their turn are dropped, unless each is recorded.
    if (!Recording::Enabled()) s.requests.clear();
    const uint64_t g = ++s.gen;
    // Made current only once handed over, so that a failure leaves no text
    // that would keep the status busy.
    s.requests.push_back(
        Request{g, std::move(text), s.language, s.speaker, s.rate, EpochMs(), s.languageName, {}});
    s.current.emplace();
    s.current->gen = g;
    s.cv.notify_all();
  }
  Synthesize(session);
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
  // A file that is not UTF-8 throughout is taken for Windows-1252, in
  // which older text files were written.
  if (!IsUtf8(text)) text = Cp1252ToUtf8(text);
  constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
  if (text.starts_with(kByteOrderMark)) text.erase(0, kByteOrderMark.size());
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
  TrimMemory();
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
    // The synthesis thread gives the session up at its next samples, and
    // eSpeak NG stays for the next session.
    session->cv.wait_for(lk, std::chrono::seconds(3), [&] { return !session->synthesizing; });
    // The player never waits on the sound server, so it ends at once.
    session->cv.wait_for(lk, std::chrono::seconds(1), [&] { return session->playerExited; });
  }
  EndSession();
}

int32_t Sound() {
  {
    std::lock_guard api(gApiMu);
    EnsureStarted();
  }
  return SoundOutput::Instance().Heard();
}

namespace {
std::atomic<bool> gMuted{false};
}  // namespace

void SetMuted(bool muted) {
  gMuted = muted;
}

bool Muted() {
  return gMuted;
}

int64_t FirstSampleTime() {
  auto s = CurrentSession();
  return s ? s->firstSample.load() : 0;
}

}  // namespace upctv::engine
