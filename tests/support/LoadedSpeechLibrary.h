// The speech library as a program loads it: every entry point looked up by
// name in libupctv.so, which is unloaded again at the end.
#pragma once

#include <dlfcn.h>

#include <chrono>
#include <cstdint>
#include <thread>

namespace sonavia::testing {

struct LoadedSpeechLibrary {
  void* handle = dlopen("libupctv.so", RTLD_NOW | RTLD_LOCAL);
  template <typename F>
  F Get(const char* name) {
    return reinterpret_cast<F>(dlsym(handle, name));
  }
  int32_t (*Read)(const char*) = Get<int32_t (*)(const char*)>("upcTVRead");
  int32_t (*ReadFile)(const char*) = Get<int32_t (*)(const char*)>("upcTVReadFile");
  int32_t (*Stop)() = Get<int32_t (*)()>("upcTVStop");
  int32_t (*SetLanguage)(int32_t) = Get<int32_t (*)(int32_t)>("upcTVSetLanguage");
  int32_t (*SetSpeed)(int32_t) = Get<int32_t (*)(int32_t)>("upcTVSetSpeed");
  int32_t (*SetSpeaker)(int32_t) = Get<int32_t (*)(int32_t)>("upcTVSetSpeaker");
  int32_t (*Status)(int32_t) = Get<int32_t (*)(int32_t)>("upcTVStatus");
  const char* (*About)() = Get<const char* (*)()>("upcTVAbout");
  int32_t (*Sound)() = Get<int32_t (*)()>("upcTVSound");
  int32_t (*SetMuted)(int32_t) = Get<int32_t (*)(int32_t)>("upcTVSetMuted");
  int32_t (*SetLanguageName)(const char*) = Get<int32_t (*)(const char*)>("upcTVSetLanguageName");

  LoadedSpeechLibrary() = default;
  LoadedSpeechLibrary(const LoadedSpeechLibrary&) = delete;
  LoadedSpeechLibrary& operator=(const LoadedSpeechLibrary&) = delete;
  ~LoadedSpeechLibrary() {
    if (handle != nullptr) dlclose(handle);
  }
  // Whether the library fell silent within `limit`.
  bool WaitIdle(std::chrono::milliseconds limit = std::chrono::seconds(20)) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (Status(0) != 0) {
      if (std::chrono::steady_clock::now() > end) return false;
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
  }
};

}  // namespace sonavia::testing
