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
  // Off, every press is a click however long it lasts.
  if (!longPressOpens_) return;
  StartLongPress(scan_.StepInterval());
}

void SwitchPresses::StartLongPress(uint32_t step) {
  longPress_.SetInterval(std::clamp(step, kShortestLongPress, kLongestLongPress));
  longPress_.SetEnabled(false);
  longPress_.SetEnabled(true);
}

void SwitchPresses::LongPressTimer() {
  longPress_.SetEnabled(false);
  if (offDown_) {
    offDown_ = false;
    if (scan_.On()) return;
    offTaken_ = true;
    if (hooks_.startScanning) hooks_.startScanning();
    return;
  }
  if (!down_ || long_) return;
  long_ = true;
  scan_.ToggleSecondCycle();
}

void SwitchPresses::Cancel() {
  down_ = false;
  ignoring_ = false;
  offDown_ = false;
  offTaken_ = false;
  longPress_.SetEnabled(false);
}

void SwitchPresses::OffDown() {
  if (scan_.On() || down_) return;
  offDown_ = true;
  offTaken_ = false;
  // As long as the long press that opens the second cycle: the step the
  // scan will take.
  StartLongPress(scan_.NextStepInterval());
}

void SwitchPresses::OffMoved() {
  if (!offDown_) return;
  offDown_ = false;
  longPress_.SetEnabled(false);
}

bool SwitchPresses::OffUp() {
  const bool taken = offTaken_;
  if (offDown_) longPress_.SetEnabled(false);
  offDown_ = false;
  offTaken_ = false;
  return taken;
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
