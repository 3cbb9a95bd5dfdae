#include "support/FakeSpeechLibrary.h"

#include <cstring>
#include <stdexcept>

namespace sonavia::testing {

namespace {

FakeSpeechLibrary* gCurrent = nullptr;

const char* About() {
  return "fake";
}
int32_t Read(const char* text) {
  gCurrent->Read(text);
  return 0;
}
int32_t ReadFile(const char* path) {
  gCurrent->Log(std::string("ReadFile(") + path + ")");
  return 0;
}
int32_t Stop() {
  gCurrent->Stop();
  return 0;
}
int32_t SetLanguage(int32_t v) {
  gCurrent->language = v;
  gCurrent->languageName.clear();  // as the library does
  gCurrent->Log("SetLanguage(" + std::to_string(v) + ")");
  return 0;
}
int32_t SetLanguageName(const char* name) {
  gCurrent->languageName = name;
  gCurrent->Log(std::string("SetLanguageName(") + name + ")");
  return 0;
}
int32_t SetSpeed(int32_t v) {
  gCurrent->rate = v;
  gCurrent->Log("SetSpeed(" + std::to_string(v) + ")");
  return 0;
}
int32_t SetSpeaker(int32_t v) {
  gCurrent->speaker = v;
  gCurrent->Log("SetSpeaker(" + std::to_string(v) + ")");
  return 0;
}
int32_t Status(int32_t) {
  return gCurrent->Status();
}
int32_t Sound() {
  return gCurrent->sound;
}

}  // namespace

FakeSpeechLibrary::FakeSpeechLibrary(SimulatedEventLoop& loop) : loop_(loop) {
  gCurrent = this;
}

FakeSpeechLibrary::~FakeSpeechLibrary() {
  if (gCurrent == this) gCurrent = nullptr;
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
  const std::string n = name;
  if (n == "upcTVAbout") return reinterpret_cast<void*>(&About);
  if (n == "upcTVRead") return reinterpret_cast<void*>(&testing::Read);
  if (n == "upcTVReadFile") return reinterpret_cast<void*>(&ReadFile);
  if (n == "upcTVStop") return reinterpret_cast<void*>(&testing::Stop);
  if (n == "upcTVSetLanguage") return reinterpret_cast<void*>(&SetLanguage);
  if (n == "upcTVSetSpeed") return reinterpret_cast<void*>(&SetSpeed);
  if (n == "upcTVSetSpeaker") return reinterpret_cast<void*>(&SetSpeaker);
  if (n == "upcTVStatus") return reinterpret_cast<void*>(&testing::Status);
  if (n == "upcTVSound") return reinterpret_cast<void*>(&testing::Sound);
  if (n == "upcTVSetLanguageName") return reinterpret_cast<void*>(&SetLanguageName);
  return nullptr;
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
  speakingUntil_ = loop_.Elapsed() + msPerCharacter * std::strlen(text);
  Log(std::string("Read(") + text + ")");
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
