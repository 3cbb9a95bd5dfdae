#include "controls/ReadingCommands.h"

#include "platform/UnitTools.h"

namespace sonavia::controls {

ReadingCommands::ReadingCommands(ReadingWindow window, reading::ReadingList& list,
                                 reading::ReadingSequencer& sequencer, speech::SpeechEngine& speech)
    : w_(std::move(window)), list_(list), sequencer_(sequencer), speech_(speech) {}

void ReadingCommands::SpeechOnOff() {
  w_.ScanHold();
  w_.mnuParlar.SetChecked(!w_.mnuParlar.Checked());
  if (w_.mnuParlar.Checked()) {
    w_.SpeedButtonParlar.SetCaption(std::string(reading::kSpeechOnCaption));
    w_.mnuParlar.SetCaption(kSpeechOnMenuCaption);
    w_.HoverSpeechArmed = true;
    sequencer_.SpeakNext();
  } else {
    w_.SpeedButtonParlar.SetCaption(kSpeechOffButtonCaption);
    w_.mnuParlar.SetCaption(kSpeechOffMenuCaption);
    // The interrupted unit is read again when speech comes back.
    sequencer_.StepBackAndStop();
  }
}

void ReadingCommands::SpeechOnAgain() {
  w_.mnuParlar.SetChecked(false);
  SpeechOnOff();
}

void ReadingCommands::Restart() {
  sequencer_.StartReadingAt(0);
  SpeechOnAgain();
  w_.HoverSpeechArmed = true;
}

void ReadingCommands::SwitchPageOrLinks() {
  if (w_.mnuCanviLlegirLinksLectures.Caption() == kReadLinksCaption) {
    w_.mnuCanviLlegirLinksLectures.SetCaption(kReadPageCaption);
    list_.SetReadingMode(reading::ReadingMode::Links);
  } else {
    w_.mnuCanviLlegirLinksLectures.SetCaption(kReadLinksCaption);
    list_.SetReadingMode(reading::ReadingMode::Page);
  }
  sequencer_.StartReadingAt(0);
  SpeechOnAgain();
}

void ReadingCommands::SelectCastilian() {
  w_.mnuCatala.SetChecked(false);
  w_.mnuCastella.SetChecked(true);
  speech_.SelectCastilian();
  Restart();
  w_.mnuCatala.SetEnabled(true);
  w_.mnuCastella.SetShortcut("");
  w_.mnuCatala.SetShortcut(kLanguageShortcut);
  w_.mnuCastella.SetEnabled(false);
}

void ReadingCommands::SelectCatalan() {
  w_.mnuCatala.SetChecked(true);
  w_.mnuCastella.SetChecked(false);
  speech_.SelectCatalan();
  Restart();
  w_.mnuCastella.SetEnabled(true);
  w_.mnuCatala.SetShortcut("");
  w_.mnuCastella.SetShortcut(kLanguageShortcut);
  w_.mnuCatala.SetEnabled(false);
}

void ReadingCommands::FollowLinkBeingRead() {
  if (list_.LinkCount == 0) return;
  try {
    sequencer_.ResolveCurrentLink();
    w_.GoToAddress(list_.LinkTarget);
  } catch (...) {
  }
}

void ReadingCommands::GoToPointedLink() {
  if (list_.LinkCount == 0) return;
  try {
    w_.GoToAddress(w_.LastStatusText);
  } catch (...) {
  }
}

void ReadingCommands::PressPageKey(int virtualKey) {
  w_.ScanHold();
  w_.PressKey(virtualKey);
}

void ReadingCommands::HistoryBack() {
  try {
    w_.GoBack();
  } catch (...) {
  }
}

void ReadingCommands::HistoryForward() {
  try {
    w_.GoForward();
  } catch (...) {
  }
}

void ReadingCommands::RateChanged() {
  if (speech_.Speaking) {
    // Refused while a unit is spoken.
    w_.EditVelocitat.SetText(std::to_string(speech_.AppliedRate));
    return;
  }
  const int32_t rate = platform::ReadWholeNumber(w_.EditVelocitat.Text());
  if (rate <= 0 || rate >= 256) {
    // Putting the fallback in runs this handler again, which applies it.
    w_.EditVelocitat.SetText(kFallbackRate);
    return;
  }
  speech_.SetSpeechRate(rate);
}

void ReadingCommands::EnterKey() {
  if (w_.EnterArmed) {
    if (w_.SpeedButtonAlLink.Enabled()) {
      GoToPointedLink();
    } else {
      FollowLinkBeingRead();
    }
  }
  w_.EnterArmed = true;
}

}  // namespace sonavia::controls
