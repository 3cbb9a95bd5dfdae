// The commands that steer the reading from the keyboard, the menu and the
// toolbar: speech off and on, restart, page or links, the two languages,
// following a link, the page keys, the history buttons, the rate edit and
// the Enter key.
#pragma once

#include <functional>
#include <string>

#include "platform/Controls.h"
#include "reading/ReadingList.h"
#include "reading/ReadingSequencer.h"
#include "speech/SpeechEngine.h"

namespace sonavia::controls {

inline constexpr const char* kSpeechOnMenuCaption = "Desactivar la &Lectura (pausa)";
inline constexpr const char* kSpeechOffMenuCaption = "Activar la &Lectura (continuar)";
inline constexpr const char* kSpeechOffButtonCaption = "Parlar";
inline constexpr const char* kReadLinksCaption = "Lle&gir Links";
inline constexpr const char* kReadPageCaption = "&Llegir p\xE0gina";
inline constexpr const char* kLanguageShortcut = "F7";
inline constexpr const char* kFallbackRate = "160";

// The window's controls, fields and operations the commands work on.
struct ReadingWindow {
  platform::MenuItem& mnuParlar;
  platform::MenuItem& mnuCanviLlegirLinksLectures;
  platform::MenuItem& mnuCatala;
  platform::MenuItem& mnuCastella;
  platform::Button& SpeedButtonParlar;
  platform::Button& SpeedButtonAlLink;
  platform::Edit& EditVelocitat;
  bool& EnterArmed;
  bool& HoverSpeechArmed;
  std::string& LastStatusText;
  std::function<void()> ScanHold;
  std::function<void(const std::string&)> GoToAddress;
  std::function<void(int)> PressKey;
  std::function<void()> GoBack;
  std::function<void()> GoForward;
};

class ReadingCommands {
 public:
  ReadingCommands(ReadingWindow window, reading::ReadingList& list,
                  reading::ReadingSequencer& sequencer, speech::SpeechEngine& speech);

  void SpeechOnOff();
  void Restart();
  void SwitchPageOrLinks();
  void SelectCatalan();
  void SelectCastilian();
  void FollowLinkBeingRead();
  void GoToPointedLink();
  void PressPageKey(int virtualKey);
  void HistoryBack();
  void HistoryForward();
  void RateChanged();
  // A press of Return or Enter anywhere in the program, the user's own.
  void EnterKey();
  // The address box has got the keyboard focus.
  void AddressBoxEntered() { w_.EnterArmed = false; }

 private:
  // Speech off, then the command that turns it on again.
  void SpeechOnAgain();

  ReadingWindow w_;
  reading::ReadingList& list_;
  reading::ReadingSequencer& sequencer_;
  speech::SpeechEngine& speech_;
};

}  // namespace sonavia::controls
