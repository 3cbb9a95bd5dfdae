// The page's own sound (its audio and video) beside the speech. While the
// program speaks, the page's sound is lowered under it, and comes back up
// once the speech has been silent a moment: lowered, not paused, because
// the speech runs for as long as a page is read, and a page whose sound
// stopped whenever the program spoke would never be heard at all; the gaps
// between sentences do not bring it back. A pause of the reading (F3)
// pauses the page's audio and video with it, and a resume plays them again.
// The user can silence the page entirely, and bring its sound back.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/Controls.h"
#include "platform/EventLoop.h"
#include "shell/BrowserComponent.h"
#include "speech/SpeechEngine.h"

namespace sonavia::shell {

// How often the speech is looked at, and how long it must have been silent
// for the page's sound to come back up.
inline constexpr uint32_t kPageSoundPoll = 200;
inline constexpr uint32_t kPageSoundBackAfter = 1500;
inline constexpr const char* kPageSilenced = "Pàgina silenciada";
inline constexpr const char* kPageSoundBack = "So de la pàgina activat";

class PageSound {
 public:
  // `item` is the menu item whose check mark says the page is silenced;
  // `notice` says a text over the reading and in the status bar.
  PageSound(platform::EventLoop& loop, BrowserComponent& browser, speech::SpeechEngine& speech,
            platform::MenuItem& item, std::function<void(const std::string&)> notice);

  // Once the window is up: the speech is followed from here on.
  void Start();
  // A new page began loading: its sound is at its own level until the
  // speech is next heard.
  void NewPage();
  // The reading was switched on or off (F3).
  void SpeechSwitched(bool on);
  // Silences the page, or gives it its sound back.
  void ToggleSilence();
  void Close();

 private:
  void Poll();

  platform::EventLoop& loop_;
  BrowserComponent& browser_;
  speech::SpeechEngine& speech_;
  platform::MenuItem& item_;
  std::function<void(const std::string&)> notice_;
  std::unique_ptr<platform::Timer> timer_;
  bool under_ = false;
  uint32_t lastHeard_ = 0;
};

}  // namespace sonavia::shell
