#include "controls/SwitchPresses.h"

#include <algorithm>

namespace sonavia::controls {

bool ValidIgnoreTenths(int32_t tenths) {
  return tenths >= 0 && tenths <= kMaxIgnoreTenths;
}

SwitchPresses::SwitchPresses(Scanning& scan, platform::EventLoop& loop, platform::Timer& longPress,
                             Hooks hooks)
    : scan_(scan), loop_(loop), longPress_(longPress), hooks_(std::move(hooks)) {
  longPress_.SetEnabled(false);
}

void SwitchPresses::SetIgnoreTenths(int tenths) {
  ignoreTenths_ = ValidIgnoreTenths(tenths) ? tenths : 0;
}

void SwitchPresses::Down(platform::Button* target) {
  const uint32_t now = loop_.TickCount();
  // An unsigned difference: a wrap of the tick count changes nothing.
  const uint32_t ignoreMs = static_cast<uint32_t>(ignoreTenths_) * 100;
  ignoring_ = anyTaken_ && static_cast<uint32_t>(now - lastTaken_) < ignoreMs;
  if (ignoring_) return;
  anyTaken_ = true;
  lastTaken_ = now;
  down_ = true;
  long_ = false;
  target_ = target;
  // The link offered when the switch went down is the one the user heard.
  link_ = scan_.LinkOffered();
  longPress_.SetEnabled(false);
  if (!longPressOpens_) return;
  longPress_.SetInterval(std::clamp(scan_.StepInterval(), kShortestLongPress, kLongestLongPress));
  longPress_.SetEnabled(true);
}

void SwitchPresses::LongPressTimer() {
  longPress_.SetEnabled(false);
  if (!down_ || long_) return;
  long_ = true;
  scan_.ToggleSecondCycle();
}

void SwitchPresses::Cancel() {
  down_ = false;
  ignoring_ = false;
  longPress_.SetEnabled(false);
}

void SwitchPresses::Up() {
  if (ignoring_) {
    ignoring_ = false;
    return;
  }
  // A release whose press went elsewhere, before scanning was on.
  if (!down_) return;
  down_ = false;
  longPress_.SetEnabled(false);
  scan_.Pressed();
  if (long_) return;
  if (hooks_.elementsPress && hooks_.elementsPress()) {
    // Taken by the page's elements.
  } else if (link_ > 0) {
    if (hooks_.followLink) hooks_.followLink(link_);
  } else if (scan_.Resting()) {
    scan_.Wake();
  } else if (scan_.InSecondCycle() && scan_.FramedIndex() == kNoFrame) {
    // Before the scan has come to the first place, a press chooses none of
    // the places that took the buttons' room under the pointer.
  } else if (target_ != nullptr && target_->Visible() && target_->Enabled()) {
    target_->Click();
  } else if (hooks_.surfaceClick) {
    // A disabled button lets the press through to the toolbar.
    hooks_.surfaceClick();
  }
}

}  // namespace sonavia::controls
