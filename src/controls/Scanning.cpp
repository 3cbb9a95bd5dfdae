#include "controls/Scanning.h"

#include <cstdint>
#include <limits>

#include "platform/UnitTools.h"

namespace sonavia::controls {

namespace {

constexpr int kMinTenths = 1;
constexpr int kMaxTenths = 100;
// The pointer goes this far inside a button from its top-left corner.
constexpr platform::Point kInsideButton{20, 20};

}  // namespace

bool ValidScanTenths(const std::string& text) {
  const int32_t tenths = platform::ReadWholeNumber(text);
  return tenths >= kMinTenths && tenths <= kMaxTenths;
}

uint32_t ScanInterval(const platform::Edit& edit) {
  const int64_t ms = int64_t{platform::ReadWholeNumber(edit.Text())} * 100;
  if (ms <= 0) return 0;
  return ms > std::numeric_limits<uint32_t>::max() ? std::numeric_limits<uint32_t>::max()
                                                   : static_cast<uint32_t>(ms);
}

Scanning::Scanning(Controls controls, Fields fields, platform::Input& input, Hooks hooks)
    : c_(controls), f_(fields), input_(input), hooks_(std::move(hooks)) {}

bool Scanning::Speaks() const {
  return c_.item.Checked() && c_.spoken.Checked() && c_.spoken.Enabled();
}

void Scanning::Toggle() {
  const bool on = !c_.item.Checked();
  c_.item.SetChecked(on);
  c_.step.SetInterval(ScanInterval(c_.stepEdit));
  c_.step.SetEnabled(on);
  // Off or on again, the scan goes on from its own place, awake.
  EndInterludes();
  resting_ = false;
  idleSteps_ = 0;
  skipNext_ = false;
  // Switched on, the frame appears with the first step, where the pointer
  // goes; until then the pointer is wherever the user left it.
  if (!on) SetFrame(kNoFrame);
}

void Scanning::Step() {
  // The page's elements take the steps while they are offered; the scan
  // then goes on from the button it was on.
  if (ElementsActive() && !c_.pause.Enabled()) {
    if (hooks_.elementsStep) hooks_.elementsStep();
    Place();
    if (!ElementsActive()) Reach();
    return;
  }
  // A step after a link's text (and after any hold that came meanwhile)
  // the wait on "Al link" ends.
  if (link_ == LinkWait::Ending && !c_.pause.Enabled()) {
    EndLinkWait();
    return;
  }
  // Wherever the user has moved the mouse, the pointer goes back on the
  // button the scan is on.
  if (c_.pause.Enabled() || link_ == LinkWait::Reading || resting_) {
    Place();
    return;
  }
  if (skipNext_) {
    skipNext_ = false;
    Place();
    return;
  }
  if (!inSecondCycle_ && Speaks() && idleSteps_ >= kCyclesBeforeRest * (f_.last - f_.first + 1)) {
    Rest();
    return;
  }
  Advance();
}

void Scanning::Advance() {
  f_.position += 1;
  if (inSecondCycle_) {
    // A pass over its places without a choice: back where the scan was.
    if (f_.position > f_.last + secondCyclePlaces_) LeaveSecondCycle();
  } else {
    if (f_.position > f_.last) f_.position = f_.first;
    if (Speaks()) ++idleSteps_;
  }
  Place();
  Reach();
}

void Scanning::Place() {
  if (!(hooks_.pointerElsewhere && hooks_.pointerElsewhere())) {
    const platform::Point origin = input_.ClientToScreen(kInsideButton);
    input_.SetCursorPos({origin.x + Shown() * f_.pitch, origin.y});
  }
  // A tick already queued when scanning went off still moves the pointer,
  // but the frame shows only while scanning is on, and at rest only on a
  // link offered.
  const bool shown =
      c_.item.Checked() && (!resting_ || link_ != LinkWait::None) && !ElementsActive();
  SetFrame(shown ? Shown() : kNoFrame);
}

int Scanning::Shown() const {
  // The second cycle's places stand where the nine buttons were.
  if (!inSecondCycle_) return f_.position;
  return f_.position > f_.last ? f_.position - f_.last - 1 : 0;
}

void Scanning::Reach() {
  if (Speaks() && hooks_.reached) hooks_.reached(Shown());
}

void Scanning::Hold() {
  // What counts is where the pointer stands, not which command ran.
  if (noHold_ || !c_.step.Enabled() || f_.position <= kLastIndexWithoutHold) return;
  c_.pause.SetInterval(ScanInterval(c_.pauseEdit));
  c_.pause.SetEnabled(true);
  c_.step.SetEnabled(false);
}

void Scanning::EndHold() {
  c_.pause.SetEnabled(false);
  // The next step comes a full step later and moves on.
  if (c_.item.Checked() && !resting_ && link_ != LinkWait::Reading) c_.step.SetEnabled(true);
}

void Scanning::CheckStepEdit() {
  CheckEdit(c_.stepEdit, kScanStepFallback);
}

void Scanning::CheckPauseEdit() {
  CheckEdit(c_.pauseEdit, kScanPauseFallback);
}

void Scanning::CheckEdit(platform::Edit& edit, const char* fallback) {
  // The timers keep their intervals: a new step counts from the next
  // switch-on, a new pause from the next hold.
  if (!ValidScanTenths(edit.Text())) edit.SetText(fallback);
  if (hooks_.focusPage) hooks_.focusPage();
}

void Scanning::SetFrame(int index) {
  if (index == framed_) return;
  framed_ = index;
  if (hooks_.frameChanged) hooks_.frameChanged();
}

void Scanning::ToggleSpoken() {
  c_.spoken.SetChecked(!c_.spoken.Checked());
  SpokenChanged();
}

void Scanning::SpokenChanged() {
  idleSteps_ = 0;
  if (Speaks()) return;
  // Rest and the wait on links belong to spoken scanning.
  if (link_ != LinkWait::None) {
    link_ = LinkWait::None;
    f_.position = positionBeforeLink_;
    if (c_.item.Checked() && !c_.pause.Enabled() && !resting_) c_.step.SetEnabled(true);
  }
  Wake();
}

void Scanning::Rest() {
  resting_ = true;
  c_.step.SetEnabled(false);
  SetFrame(kNoFrame);
  if (hooks_.told) hooks_.told(ScanNews::Resting);
}

void Scanning::Wake() {
  if (!resting_) return;
  resting_ = false;
  idleSteps_ = 0;
  // From the first button, as when scanning starts; a link offered keeps
  // the pointer until its wait ends.
  if (link_ != LinkWait::None) {
    positionBeforeLink_ = f_.last;
    return;
  }
  f_.position = f_.last;
  if (c_.item.Checked()) c_.step.SetEnabled(true);
}

void Scanning::ToggleSecondCycle() {
  if (!c_.item.Checked()) return;
  // A long press leaves the page's elements, back to the buttons.
  if (hooks_.elementsEnd && hooks_.elementsEnd()) {
    Place();
    Reach();
    return;
  }
  if (inSecondCycle_) {
    LeaveSecondCycle();
    Place();
    Reach();
    c_.step.SetEnabled(false);
    c_.step.SetEnabled(true);
    return;
  }
  const int places = hooks_.showSecondCycle ? hooks_.showSecondCycle(true) : 0;
  if (places <= 0) return;
  // It takes over from a link's wait, a rest or a hold.
  if (link_ != LinkWait::None) {
    link_ = LinkWait::None;
    f_.position = positionBeforeLink_;
  }
  resting_ = false;
  idleSteps_ = 0;
  c_.pause.SetEnabled(false);
  inSecondCycle_ = true;
  secondCyclePlaces_ = places;
  positionBeforeSecondCycle_ = f_.position;
  // The next step, one step from now, lands on its first place; until
  // then no button is framed, the nine having given way.
  f_.position = f_.last;
  SetFrame(kNoFrame);
  c_.step.SetEnabled(false);
  c_.step.SetEnabled(true);
  if (Speaks() && hooks_.told) hooks_.told(ScanNews::SecondCycle);
}

void Scanning::LeaveSecondCycle() {
  if (!inSecondCycle_) return;
  inSecondCycle_ = false;
  secondCyclePlaces_ = 0;
  if (hooks_.showSecondCycle) hooks_.showSecondCycle(false);
  f_.position = positionBeforeSecondCycle_;
}

void Scanning::RunChosenPlace(const std::function<void()>& command) {
  LeaveSecondCycle();
  if (c_.item.Checked()) Place();
  // Choosing it again makes no sense: no command chosen here holds.
  struct NoHold {
    bool& flag;
    explicit NoHold(bool& f) : flag(f) { flag = true; }
    ~NoHold() { flag = false; }
  } noHold(noHold_);
  if (command) command();
}

void Scanning::ElementsOffered() {
  idleSteps_ = 0;
  SetFrame(kNoFrame);
  if (!c_.item.Checked() || c_.pause.Enabled()) return;
  c_.step.SetEnabled(false);
  c_.step.SetEnabled(true);
}

void Scanning::EndInterludes() {
  if (hooks_.elementsEnd) hooks_.elementsEnd();
  LeaveSecondCycle();
  if (link_ != LinkWait::None) {
    link_ = LinkWait::None;
    f_.position = positionBeforeLink_;
  }
}

void Scanning::Pressed() {
  idleSteps_ = 0;
  if (delayAfterPress_) skipNext_ = true;
}

void Scanning::LinkStarted(int32_t link) {
  // A hold or the second cycle is the user's own choice, and keeps the scan.
  if (!Speaks() || c_.pause.Enabled() || inSecondCycle_ || ElementsActive()) return;
  if (link_ == LinkWait::None) positionBeforeLink_ = f_.position;
  link_ = LinkWait::Reading;
  offeredLink_ = link;
  c_.step.SetEnabled(false);
  f_.position = kFollowLinkIndex;
  Place();
}

void Scanning::LinkEnded() {
  if (link_ != LinkWait::Reading) return;
  // One step more on "Al link", the step timer's first tick.
  link_ = LinkWait::Ending;
  c_.step.SetEnabled(true);
}

uint32_t Scanning::PauseAfterLink() {
  if (link_ == LinkWait::None) return 0;
  const uint32_t step = c_.step.Interval();
  return step > kLinkWaitOverlap ? step - kLinkWaitOverlap : 0;
}

void Scanning::EndLinkWait() {
  link_ = LinkWait::None;
  f_.position = positionBeforeLink_;
  if (resting_) c_.step.SetEnabled(false);
  Place();
  // It goes on where it was, saying that button again.
  if (!resting_) Reach();
}

}  // namespace sonavia::controls
