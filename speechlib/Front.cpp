// libupctv.so: the entry points the program loads by name. Each load is a
// session of the engine; freeing the library ends it. No exception crosses
// into the C caller: it would end the host process.
#include "Engine.h"
#include "upctv.h"

namespace {

struct SessionEnd {
  ~SessionEnd() {
    try {
      upctv::engine::Shutdown();
    } catch (...) {
    }
  }
} sessionEnd;

// Runs `call`, turning any exception into the failure result -1.
template <typename Call>
int32_t Guarded(Call call) noexcept {
  try {
    return call();
  } catch (...) {
    return -1;
  }
}

}  // namespace

extern "C" {

const char* upcTVAbout(void) {
  return upctv::engine::About();  // a static text; cannot throw
}

int32_t upcTVRead(const char* text) {
  return Guarded([&] {
    upctv::engine::Read(text);
    return 0;
  });
}

int32_t upcTVReadFile(const char* path) {
  return Guarded([&] { return upctv::engine::ReadFile(path) ? 0 : -1; });
}

int32_t upcTVStop(void) {
  return Guarded([] {
    upctv::engine::Stop();
    return 0;
  });
}

int32_t upcTVSetLanguage(int32_t language) {
  return Guarded([&] {
    upctv::engine::SetLanguage(language);
    return 0;
  });
}

int32_t upcTVSetLanguageName(const char* name) {
  return Guarded([&] { return upctv::engine::SetLanguageName(name) ? 0 : -1; });
}

int32_t upcTVSetSpeed(int32_t rate) {
  return Guarded([&] {
    upctv::engine::SetSpeed(rate);
    return 0;
  });
}

int32_t upcTVSetSpeaker(int32_t speaker) {
  return Guarded([&] {
    upctv::engine::SetSpeaker(speaker);
    return 0;
  });
}

int32_t upcTVStatus(int32_t /*unused*/) {
  // A failure here reads as idle, so that a caller's poll ends.
  const int32_t status = Guarded([] { return upctv::engine::Status(); });
  return status < 0 ? 0 : status;
}

int32_t upcTVSetMuted(int32_t muted) {
  upctv::engine::SetMuted(muted != 0);
  return 0;
}

int32_t upcTVSound(void) {
  return Guarded([] { return upctv::engine::Sound(); });
}

}  // extern "C"
