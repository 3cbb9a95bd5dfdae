#include "controls/ReadingCommands.h"

#include "platform/UnitTools.h"
#include "reading/LinkAddress.h"

namespace sonavia::controls {

const char* ReadingModeCaption(reading::ReadingMode mode) {
  return mode == reading::ReadingMode::Links ? "Llegir &pàgina" : "Lle&gir Links";
}

ReadingCommands::ReadingCommands(ReadingWindow window, reading::ReadingList& list,
                                 reading::ReadingSequencer& sequencer, speech::SpeechEngine& speech)
    : w_(std::move(window)), list_(list), sequencer_(sequencer), speech_(speech) {}

void ReadingCommands::SpeechOnOff() {
  SetSpeech(!w_.speech.Checked());
}

void ReadingCommands::SetSpeech(bool on) {
  w_.ScanHold();
  w_.speech.Set(on);
  if (on) {
    w_.HoverSpeechArmed = true;
    sequencer_.SpeakNext();
  } else {
    // The interrupted unit is read again when speech comes back.
    sequencer_.StepBackAndStop();
  }
}

void ReadingCommands::Restart() {
  sequencer_.StartReadingAt(0);
  SetSpeech(true);
  w_.HoverSpeechArmed = true;
}

void ReadingCommands::RestartIfOn(const std::string& answer) {
  sequencer_.StartReadingAt(0);
  // Speech the user switched off stays off: F3 reads from the start then.
  if (w_.speech.Checked()) {
    Restart();
  } else {
    w_.ScanHold();
    if (w_.Answer) w_.Answer(answer);
  }
}

void ReadingCommands::SwitchPageOrLinks() {
  SetReadingMode(list_.ReadingMode == reading::ReadingMode::Links ? reading::ReadingMode::Page
                                                                  : reading::ReadingMode::Links);
  RestartIfOn(list_.ReadingMode == reading::ReadingMode::Links ? kLinksMode : kPageMode);
}

void ReadingCommands::SetReadingMode(reading::ReadingMode mode) {
  list_.SetReadingMode(mode);
  w_.mnuCanviLlegirLinksLectures.SetCaption(ReadingModeCaption(mode));
}

void ReadingCommands::SelectLanguage(speech::Language language) {
  const bool catalan = language == speech::Language::Catalan;
  platform::MenuItem& chosen = catalan ? w_.mnuCatala : w_.mnuCastella;
  platform::MenuItem& other = catalan ? w_.mnuCastella : w_.mnuCatala;
  w_.mnuCatala.SetChecked(catalan);
  w_.mnuCastella.SetChecked(!catalan);
  speech_.SelectLanguage(language);
  if (w_.LanguageChanged) w_.LanguageChanged();
  RestartIfOn(catalan ? kCatalanName : kCastilianName);
  // F7 always switches to the other language.
  other.SetEnabled(true);
  chosen.SetShortcut("");
  other.SetShortcut(kLanguageShortcut);
  chosen.SetEnabled(false);
}

bool ReadingCommands::FollowLinkBeingRead() {
  if (list_.LinkCount == 0) return false;
  try {
    // A link that cannot be followed leaves the reading where it is.
    const int32_t link = list_.LinkCursor == 0 ? 1 : list_.LinkCursor;
    if (!MayFollow(list_.ResolvedLink(link))) {
      w_.Notice(kLinkNotFollowed);
      return true;
    }
    sequencer_.ResolveCurrentLink();
    w_.GoToAddress(list_.LinkTarget);
  } catch (...) {
  }
  return true;
}

bool ReadingCommands::GoToPointedLink() {
  if (list_.LinkCount == 0) return false;
  try {
    if (!MayFollow(w_.LastStatusText)) {
      w_.Notice(kLinkNotFollowed);
      return true;
    }
    w_.GoToAddress(w_.LastStatusText);
  } catch (...) {
  }
  return true;
}

bool ReadingCommands::MayFollow(const std::string& address) const {
  // The page the link is on is the one last read into the list.
  return reading::MayFollowLink(list_.PageAddress, address);
}

void ReadingCommands::PressPageKey(int virtualKey) {
  w_.ScanHold();
  w_.PressKey(virtualKey);
}

void ReadingCommands::RateChanged() {
  if (speech_.Speaking) {
    // Refused while a unit is spoken.
    w_.EditVelocitat.SetText(std::to_string(speech_.AppliedRate));
    return;
  }
  const int32_t rate = platform::ReadWholeNumber(w_.EditVelocitat.Text());
  if (!speech::ValidRate(rate)) {
    // Putting the fallback in runs this handler again, which applies it.
    w_.EditVelocitat.SetText(kFallbackRate);
    return;
  }
  speech_.SetSpeechRate(rate);
}

bool ReadingCommands::EnterKey() {
  if (w_.KeyboardInControl && w_.KeyboardInControl()) {
    w_.EnterArmed = true;
    return false;
  }
  bool followed = false;
  if (w_.EnterArmed) {
    followed = w_.SpeedButtonAlLink.Enabled() ? GoToPointedLink() : FollowLinkBeingRead();
  }
  w_.EnterArmed = true;
  return followed;
}

}  // namespace sonavia::controls
