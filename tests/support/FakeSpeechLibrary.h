// An in-process stand-in for the speech library, behind the library-loader
// seam: it records every call with its virtual time and "speaks" each text
// for a time proportional to its length.
#pragma once

#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "platform/LibraryLoader.h"
#include "support/SimulatedEventLoop.h"

namespace sonavia::testing {

class FakeSpeechLibrary : public platform::LibraryLoader {
 public:
  explicit FakeSpeechLibrary(SimulatedEventLoop& loop);
  ~FakeSpeechLibrary() override;

  Handle Load(const std::string& name) override;
  void* Symbol(Handle library, const char* name) override;
  void Free(Handle library) override;

  // Calls in order, such as "Load", "Free", "SetSpeed(140)", "Read(HOLA )",
  // "Stop"; status polls are not logged.
  std::vector<std::string> calls;
  // The same calls with the virtual time (ms since the loop began) in front.
  std::vector<std::string> timeline;
  // The timeline's texts read and stops alone, such as "500 Read(HOLA )".
  std::vector<std::string> ReadsAndStops() const {
    std::vector<std::string> lines;
    for (const auto& line : timeline) {
      if (line.find(" Read(") != std::string::npos || line.find(" Stop") != std::string::npos)
        lines.push_back(line);
    }
    return lines;
  }

  bool available = true;          // whether Load succeeds
  std::set<std::string> missing;  // entry points the library lacks
  uint32_t msPerCharacter = 10;   // speaking time of a text
  bool busyForever = false;       // Status always reports speech
  int32_t sound = 1;              // what upcTVSound answers
  bool muted = false;             // as upcTVSetMuted last set it; kept across loads

  // Inspection of what is being spoken.
  bool Speaking() const;
  int32_t language = 0, speaker = 0, rate = 0;  // as last set
  std::string languageName;                     // as last set by name
  // Each text heard with the voice it was read in: "99/0 HOLA ", or with
  // the language named, "en/2 HELLO ". A load forgets the voice.
  std::vector<std::string> voices;
  int loads = 0, frees = 0;
  void ClearLog() {
    calls.clear();
    timeline.clear();
    voices.clear();
  }

  // The entry points' bodies.
  void Log(const std::string& call);
  void Read(const char* text);
  void Stop();
  int32_t Status();

 private:
  SimulatedEventLoop& loop_;
  size_t slot_ = 0;  // where its entry points find it
  uint64_t speakingUntil_ = 0;
  uintptr_t nextHandle_ = 1;
  std::set<uintptr_t> open_;
};

}  // namespace sonavia::testing
