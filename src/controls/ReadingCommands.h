// The commands that steer the reading from the keyboard, the menu and the
// toolbar: speech off and on, restart, page or links, the two languages,
// following a link, the page keys, the rate edit and the Enter key.
#pragma once

#include <functional>
#include <string>

#include "controls/SpeechSwitch.h"
#include "platform/Controls.h"
#include "reading/ReadingList.h"
#include "reading/ReadingSequencer.h"
#include "speech/SpeechEngine.h"

namespace sonavia::controls {

// The language that is not active carries it.
inline constexpr const char* kLanguageShortcut = "F7";
inline constexpr const char* kFallbackRate = "160";
// Said when a link leads where the program does not go: a local file from a
// web page, a script, a mail address, the engine's own pages.
inline constexpr const char* kLinkNotFollowed = "Aquest enllaç no es pot seguir.";
// What F4 and F7 say while the reading is paused, which they leave paused.
inline constexpr const char* kLinksMode = "Lectura dels links";
inline constexpr const char* kPageMode = "Lectura de la pàgina";
inline constexpr const char* kCatalanName = "Català";
inline constexpr const char* kCastilianName = "Castellano";

// The caption of the page-or-links item, which names the mode it switches
// to: the links while the whole page is read, the page while the links are.
const char* ReadingModeCaption(reading::ReadingMode mode);

// The window's controls, fields and operations the commands work on.
struct ReadingWindow {
  SpeechSwitch& speech;
  platform::MenuItem& mnuCanviLlegirLinksLectures;
  platform::MenuItem& mnuCatala;
  platform::MenuItem& mnuCastella;
  platform::Button& SpeedButtonAlLink;
  platform::Edit& EditVelocitat;
  bool& EnterArmed;
  bool& HoverSpeechArmed;
  std::string& LastStatusText;
  std::function<void()> ScanHold;
  std::function<void(const std::string&)> GoToAddress;
  std::function<void(int)> PressKey;
  // Says a notice over the reading, which goes on after it.
  std::function<void(const std::string&)> Notice;
  // Whether the user has put the keyboard in one of the page's controls (a
  // field, a button, a check box, a list): Enter is then the page's.
  std::function<bool()> KeyboardInControl{};
  // The language of the program's words changed.
  std::function<void()> LanguageChanged{};
  // A brief answer, said whether the reading is on or paused.
  std::function<void(const std::string&)> Answer{};
};

class ReadingCommands {
 public:
  ReadingCommands(ReadingWindow window, reading::ReadingList& list,
                  reading::ReadingSequencer& sequencer, speech::SpeechEngine& speech);

  void SpeechOnOff();
  void Restart();
  void SwitchPageOrLinks();
  // The reading list's mode, and the item's caption with it.
  void SetReadingMode(reading::ReadingMode mode);
  void SelectLanguage(speech::Language language);
  // Each returns whether the page had a link to follow (followed or
  // refused).
  bool FollowLinkBeingRead();
  bool GoToPointedLink();
  void PressPageKey(int virtualKey);
  void RateChanged();
  // A press of Return or Enter anywhere in the program, the user's own.
  // Returns whether it followed a link or said why not: then the key has
  // done its work, and the page must not act on it as well. With the
  // keyboard in a page's control it does nothing: the page sends its form
  // or presses its button.
  bool EnterKey();
  // The address box has got the keyboard focus.
  void AddressBoxEntered() { w_.EnterArmed = false; }

 private:
  // The scan hold, then speech on (reading on from the cursor) or off (the
  // interrupted unit to be read again).
  void SetSpeech(bool on);
  // From the start of the page, read at once when speech is on; paused,
  // `answer` says what changed.
  void RestartIfOn(const std::string& answer);
  // Whether the program goes where a link of the page leads.
  bool MayFollow(const std::string& address) const;

  ReadingWindow w_;
  reading::ReadingList& list_;
  reading::ReadingSequencer& sequencer_;
  speech::SpeechEngine& speech_;
};

}  // namespace sonavia::controls
