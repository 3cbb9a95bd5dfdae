// What the window tells a user about speech itself, so that a start is
// never silent without a reason given: a start with speech off (a pause kept
// from the last run) says so once, with the key that turns it on; and while
// no sound can be played, the status bar's sound panel says so.
#pragma once

#include <memory>

#include "platform/Controls.h"
#include "platform/EventLoop.h"
#include "speech/SpeechEngine.h"

namespace sonavia::shell {

inline constexpr const char* kSpeechOffNoticeCatalan =
    "La lectura està aturada. Premeu F3 per activar-la.";
inline constexpr const char* kSpeechOffNoticeCastilian =
    "La lectura está detenida. Pulse F3 para activarla.";
// Said by the window that reads when the program is started again on its
// settings: the new start brought it forward and ended.
inline constexpr const char* kAlreadyReading = "Sonavia ja llegeix en aquesta finestra.";
inline constexpr const char* kNoSoundNotice = "No es pot reproduir cap so: la lectura no se sent";
// How often the sound panel follows the library's answer.
inline constexpr uint32_t kSoundCheckInterval = 1000;

class SpeechNotices {
 public:
  // `soundPanel` is the status bar's panel for the sound; `mnuParlar`'s check
  // mark says whether speech is on.
  SpeechNotices(platform::EventLoop& loop, speech::SpeechEngine& speech,
                platform::MenuItem& mnuParlar, platform::Label& soundPanel);

  // Once, when the splash is over and before the first page.
  void AtStart();
  // At the close: the panel is left as it is.
  void Close();

 private:
  void ShowSound();

  speech::SpeechEngine& speech_;
  platform::MenuItem& mnuParlar_;
  platform::Label& soundPanel_;
  std::unique_ptr<platform::Timer> timer_;
};

}  // namespace sonavia::shell
