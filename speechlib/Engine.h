// The speech engine behind the front library libupctv.so. It lives in its
// own shared object that stays loaded once loaded, so that threads it
// starts never outlive their code; each load of the front library is a
// fresh session, started at its first call and ended when it is freed.
#pragma once

#include <cstdint>

#define UPCTV_ENGINE_API __attribute__((visibility("default")))

namespace upctv::engine {

UPCTV_ENGINE_API const char* About();
UPCTV_ENGINE_API void Read(const char* text);
// False when the file is refused: not a regular file, unreadable, or
// longer than UPCTV_MAX_FILE_BYTES.
UPCTV_ENGINE_API bool ReadFile(const char* path);
UPCTV_ENGINE_API void Stop();
UPCTV_ENGINE_API void SetLanguage(int32_t language);
// False, changing nothing, for a null or malformed name.
UPCTV_ENGINE_API bool SetLanguageName(const char* name);
UPCTV_ENGINE_API void SetSpeed(int32_t rate);
UPCTV_ENGINE_API void SetSpeaker(int32_t speaker);
UPCTV_ENGINE_API int32_t Status();
// Whether speech is heard: 1, 0 or -1, as upcTVSound says.
UPCTV_ENGINE_API int32_t Sound();
// Whether what is read keeps its time in silence, unheard and unrecorded.
UPCTV_ENGINE_API void SetMuted(bool muted);
UPCTV_ENGINE_API bool Muted();
// Ends the session: stops speech and lets its threads go. eSpeak NG and the
// sound server's connection stay for the process.
UPCTV_ENGINE_API void Shutdown();

// For benchmarks and tests: steady-clock nanoseconds at which the first
// sample of the latest text went out, or 0 before that.
UPCTV_ENGINE_API int64_t FirstSampleTime();

}  // namespace upctv::engine
