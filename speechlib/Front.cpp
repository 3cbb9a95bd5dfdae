// libupctv.so: the entry points the program loads by name. Each load is a
// session of the engine; freeing the library ends it.
#include "Engine.h"
#include "upctv.h"

namespace {

struct SessionEnd {
  ~SessionEnd() { upctv::engine::Shutdown(); }
} sessionEnd;

}  // namespace

extern "C" {

const char* upcTVAbout(void) {
  return upctv::engine::About();
}

int32_t upcTVRead(const char* text) {
  upctv::engine::Read(text);
  return 0;
}

int32_t upcTVReadFile(const char* path) {
  upctv::engine::ReadFile(path);
  return 0;
}

int32_t upcTVStop(void) {
  upctv::engine::Stop();
  return 0;
}

int32_t upcTVSetLanguage(int32_t language) {
  upctv::engine::SetLanguage(language);
  return 0;
}

int32_t upcTVSetSpeed(int32_t rate) {
  upctv::engine::SetSpeed(rate);
  return 0;
}

int32_t upcTVSetSpeaker(int32_t speaker) {
  upctv::engine::SetSpeaker(speaker);
  return 0;
}

int32_t upcTVStatus(int32_t /*unused*/) {
  return upctv::engine::Status();
}

}  // extern "C"
