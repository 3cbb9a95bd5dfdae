#include "support/FakeSpeechLibrary.h"

#include <array>
#include <cstring>
#include <stdexcept>
#include <utility>

#include "platform/Utf8.h"

namespace sonavia::testing {

namespace {

// Each library alive has a slot, and the entry points it hands out reach
// it alone: two windows side by side each speak through their own.
constexpr size_t kSlots = 8;
FakeSpeechLibrary* gSlots[kSlots] = {};

template <size_t S>
struct EntryPoints {
  static FakeSpeechLibrary& L() { return *gSlots[S]; }
  static const char* About() { return "fake"; }
  static int32_t Read(const char* text) {
    L().Read(text);
    return 0;
  }
  static int32_t ReadFile(const char* path) {
    L().Log(std::string("ReadFile(") + path + ")");
    return 0;
  }
  static int32_t Stop() {
    L().Stop();
    return 0;
  }
  static int32_t SetLanguage(int32_t v) {
    L().language = v;
    L().languageName.clear();  // as the library does
    L().Log("SetLanguage(" + std::to_string(v) + ")");
    return 0;
  }
  static int32_t SetLanguageName(const char* name) {
    L().languageName = name;
    L().Log(std::string("SetLanguageName(") + name + ")");
    return 0;
  }
  static int32_t SetSpeed(int32_t v) {
    L().rate = v;
    L().Log("SetSpeed(" + std::to_string(v) + ")");
    return 0;
  }
  static int32_t SetSpeaker(int32_t v) {
    L().speaker = v;
    L().Log("SetSpeaker(" + std::to_string(v) + ")");
    return 0;
  }
  static int32_t Status(int32_t) { return L().Status(); }
  static int32_t Sound() { return L().sound; }
  static int32_t SetMuted(int32_t v) {
    L().muted = v != 0;
    L().Log("SetMuted(" + std::to_string(v) + ")");
    return 0;
  }

  static void* Find(const std::string& n) {
    if (n == "upcTVAbout") return reinterpret_cast<void*>(&About);
    if (n == "upcTVRead") return reinterpret_cast<void*>(&Read);
    if (n == "upcTVReadFile") return reinterpret_cast<void*>(&ReadFile);
    if (n == "upcTVStop") return reinterpret_cast<void*>(&Stop);
    if (n == "upcTVSetLanguage") return reinterpret_cast<void*>(&SetLanguage);
    if (n == "upcTVSetSpeed") return reinterpret_cast<void*>(&SetSpeed);
    if (n == "upcTVSetSpeaker") return reinterpret_cast<void*>(&SetSpeaker);
    if (n == "upcTVStatus") return reinterpret_cast<void*>(&Status);
    if (n == "upcTVSound") return reinterpret_cast<void*>(&Sound);
    if (n == "upcTVSetLanguageName") return reinterpret_cast<void*>(&SetLanguageName);
    if (n == "upcTVSetMuted") return reinterpret_cast<void*>(&SetMuted);
    return nullptr;
  }
};

using Finder = void* (*)(const std::string&);
template <size_t... S>
constexpr std::array<Finder, kSlots> Finders(std::index_sequence<S...>) {
  return {&EntryPoints<S>::Find...};
}
constexpr std::array<Finder, kSlots> kFinders = Finders(std::make_index_sequence<kSlots>{});

}  // namespace

FakeSpeechLibrary::FakeSpeechLibrary(SimulatedEventLoop& loop) : loop_(loop) {
  for (slot_ = 0; slot_ < kSlots && gSlots[slot_] != nullptr; ++slot_) {
  }
  if (slot_ == kSlots) throw std::logic_error("too many fake speech libraries at once");
  gSlots[slot_] = this;
}

FakeSpeechLibrary::~FakeSpeechLibrary() {
  gSlots[slot_] = nullptr;
}

void FakeSpeechLibrary::Log(const std::string& call) {
  calls.push_back(call);
  timeline.push_back(std::to_string(loop_.Elapsed()) + " " + call);
}

platform::LibraryLoader::Handle FakeSpeechLibrary::Load(const std::string& name) {
  if (!available || name != "libupctv.so") return nullptr;
  Log("Load");
  ++loads;
  // A fresh session: the library's own language and speaker.
  language = 99;
  speaker = 0;
  languageName.clear();
  // A fresh load starts silent, like the real library.
  speakingUntil_ = 0;
  const uintptr_t h = nextHandle_++;
  open_.insert(h);
  return reinterpret_cast<Handle>(h);
}

void* FakeSpeechLibrary::Symbol(Handle library, const char* name) {
  if (open_.count(reinterpret_cast<uintptr_t>(library)) == 0) {
    throw std::logic_error("lookup in a library that is not loaded");
  }
  if (missing.count(name) != 0) return nullptr;
  return kFinders[slot_](name);
}

void FakeSpeechLibrary::Free(Handle library) {
  if (open_.erase(reinterpret_cast<uintptr_t>(library)) == 0) {
    throw std::logic_error("freeing a library that is not loaded");
  }
  ++frees;
  speakingUntil_ = 0;
  Log("Free");
}

bool FakeSpeechLibrary::Speaking() const {
  return busyForever || loop_.Elapsed() < speakingUntil_;
}

void FakeSpeechLibrary::Read(const char* text) {
  // Speech lasts by the characters heard, not by their bytes in UTF-8.
  speakingUntil_ = loop_.Elapsed() + msPerCharacter * platform::Utf8Length(text);
  Log(std::string("Read(") + text + ")");
  // Muted, a text keeps its time unheard, as the library's does.
  if (!muted)
    voices.push_back((languageName.empty() ? std::to_string(language) : languageName) + "/" +
                     std::to_string(speaker) + " " + text);
}

void FakeSpeechLibrary::Stop() {
  speakingUntil_ = 0;
  Log("Stop");
}

int32_t FakeSpeechLibrary::Status() {
  return Speaking() ? 1 : 0;
}

}  // namespace sonavia::testing
