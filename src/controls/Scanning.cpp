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

Scanning::Scanning(Controls controls, Fields fields, platform::Input& input,
                   std::function<void()> focusPage, std::function<void()> frameChanged)
    : c_(controls),
      f_(fields),
      input_(input),
      focusPage_(std::move(focusPage)),
      frameChanged_(std::move(frameChanged)) {}

void Scanning::Toggle() {
  const bool on = !c_.item.Checked();
  c_.item.SetChecked(on);
  c_.step.SetInterval(ScanInterval(c_.stepEdit));
  c_.step.SetEnabled(on);
  // Switched on, the frame appears with the first step, where the pointer
  // goes; until then the pointer is wherever the user left it.
  if (!on) SetFrame(kNoFrame);
}

void Scanning::Step() {
  if (!c_.pause.Enabled()) {
    f_.position += 1;
    if (f_.position > f_.last) f_.position = f_.first;
  }
  // Wherever the user has moved the mouse, the pointer goes back on the
  // button the scan is on.
  const platform::Point origin = input_.ClientToScreen(kInsideButton);
  input_.SetCursorPos({origin.x + f_.position * f_.pitch, origin.y});
  // A tick already queued when scanning went off still moves the pointer,
  // but the frame shows only while scanning is on.
  SetFrame(c_.item.Checked() ? f_.position : kNoFrame);
}

void Scanning::Hold() {
  // What counts is where the pointer stands, not which command ran.
  if (!c_.step.Enabled() || f_.position <= kLastIndexWithoutHold) return;
  c_.pause.SetInterval(ScanInterval(c_.pauseEdit));
  c_.pause.SetEnabled(true);
  c_.step.SetEnabled(false);
}

void Scanning::EndHold() {
  c_.pause.SetEnabled(false);
  // The next step comes a full step later and moves on.
  if (c_.item.Checked()) c_.step.SetEnabled(true);
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
  if (focusPage_) focusPage_();
}

void Scanning::SetFrame(int index) {
  if (index == framed_) return;
  framed_ = index;
  if (frameChanged_) frameChanged_();
}

}  // namespace sonavia::controls
