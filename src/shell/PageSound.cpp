#include "shell/PageSound.h"

namespace sonavia::shell {

PageSound::PageSound(platform::EventLoop& loop, BrowserComponent& browser,
                     speech::SpeechEngine& speech, platform::MenuItem& item,
                     std::function<void(const std::string&)> notice)
    : loop_(loop),
      browser_(browser),
      speech_(speech),
      item_(item),
      notice_(std::move(notice)),
      timer_(loop.CreateTimer()) {
  timer_->SetEnabled(false);
  timer_->SetInterval(kPageSoundPoll);
  timer_->SetOnTimer([this] { Poll(); });
}

void PageSound::Start() {
  // Without the library nothing is spoken for the page to give way to.
  if (speech_.Loaded()) timer_->SetEnabled(true);
}

void PageSound::NewPage() {
  // The new document's sound starts at its own level; it is lowered at
  // the next look if the speech is heard.
  under_ = false;
}

void PageSound::SpeechSwitched(bool on) {
  browser_.PausePageMedia(!on);
}

void PageSound::ToggleSilence() {
  const bool silenced = !item_.Checked();
  item_.SetChecked(silenced);
  browser_.MutePage(silenced);
  notice_(silenced ? kPageSilenced : kPageSoundBack);
}

void PageSound::Close() {
  timer_->SetEnabled(false);
}

void PageSound::Poll() {
  const uint32_t now = loop_.TickCount();
  if (speech_.upcTVStatus() != 0) {
    lastHeard_ = now;
    if (!under_) {
      under_ = true;
      browser_.SetPageSoundUnder(true);
    }
  } else if (under_ && static_cast<uint32_t>(now - lastHeard_) >= kPageSoundBackAfter) {
    under_ = false;
    browser_.SetPageSoundUnder(false);
  }
}

}  // namespace sonavia::shell
