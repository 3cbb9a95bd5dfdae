#include "shell/SpeechNotices.h"

namespace sonavia::shell {

SpeechNotices::SpeechNotices(platform::EventLoop& loop, speech::SpeechEngine& speech,
                             platform::MenuItem& mnuParlar, platform::Label& soundPanel)
    : speech_(speech), mnuParlar_(mnuParlar), soundPanel_(soundPanel), timer_(loop.CreateTimer()) {
  timer_->SetEnabled(false);
  timer_->SetInterval(kSoundCheckInterval);
  timer_->SetOnTimer([this] { ShowSound(); });
}

void SpeechNotices::AtStart() {
  // Without the library the window has no speech commands at all.
  if (!speech_.Loaded()) return;
  if (!mnuParlar_.Checked()) {
    speech_.UseItemVoice();
    speech_.SpeakMessage(speech_.CatalanActive ? kSpeechOffNoticeCatalan
                                               : kSpeechOffNoticeCastilian);
  }
  ShowSound();
  // A server that comes, goes or stalls later is followed too.
  timer_->SetEnabled(true);
}

void SpeechNotices::Close() {
  timer_->SetEnabled(false);
}

void SpeechNotices::ShowSound() {
  // Not known yet a second after the start counts as no sound: nothing is
  // being heard.
  soundPanel_.SetText(speech_.Loaded() && speech_.upcTVSound() != 1 ? kNoSoundNotice : "");
}

}  // namespace sonavia::shell
