// The presses of the switch on the button toolbar while scanning is on:
// what each one does. A press soon after another is ignored (when the user
// sets it so); a long press opens or closes the second cycle; a press on
// a scan at rest wakes it; a press while a link is offered follows it; any
// other press clicks the button it landed on, as a click does.
//
// While scanning is off, a press held still for a long press anywhere in
// the window is the switch's way back: it switches scanning on, and its
// release does nothing more. A user who never stops scanning never meets it.
#pragma once

#include <cstdint>
#include <functional>

#include "controls/Scanning.h"
#include "platform/Controls.h"
#include "platform/EventLoop.h"

namespace sonavia::controls {

// A press is ignored for at most two seconds after the last one taken.
inline constexpr int kMaxIgnoreTenths = 20;
// A long press lasts a step of the scan, within these bounds.
inline constexpr uint32_t kShortestLongPress = 1000;
inline constexpr uint32_t kLongestLongPress = 3000;

class SwitchPresses {
 public:
  struct Hooks {
    // A press on the bare toolbar or on a disabled button (the scan hold).
    std::function<void()> surfaceClick;
    // Follows the reading's link `link`, as F2 does.
    std::function<void(int32_t)> followLink;
    // While the page's elements are offered, the press chooses among them;
    // returns whether they took it.
    std::function<bool()> elementsPress{};
    // The way back: switches scanning on.
    std::function<void()> startScanning{};
  };
  // `longPress` is a timer of its own, which the window ties to LongPressTimer.
  SwitchPresses(Scanning& scan, platform::EventLoop& loop, platform::Timer& longPress, Hooks hooks);
  SwitchPresses(const SwitchPresses&) = delete;
  SwitchPresses& operator=(const SwitchPresses&) = delete;

  // The switch goes down on `target`, a toolbar button, or on the bare
  // toolbar (nullptr); and comes up again.
  void Down(platform::Button* target);
  void Up();
  void LongPressTimer();
  // Forgets a press that is down: its release will not come.
  void Cancel();

  // While scanning is off: a left press goes down anywhere in the window;
  // the pointer moves away while it is down (a drag, not the switch); it
  // comes up, returning whether it was the way back, whose release must
  // reach nothing.
  void OffDown();
  void OffMoved();
  bool OffUp();

  // Whether a press held for a step opens the second cycle; off, every
  // press is a click however long it lasts.
  void SetLongPressOpens(bool on) { longPressOpens_ = on; }
  bool LongPressOpens() const { return longPressOpens_; }
  // Tenths of a second, 0 (the default) to take every press.
  void SetIgnoreTenths(int tenths);
  int IgnoreTenths() const { return ignoreTenths_; }

 private:
  Scanning& scan_;
  platform::EventLoop& loop_;
  platform::Timer& longPress_;
  Hooks hooks_;
  int ignoreTenths_ = 0;
  bool longPressOpens_ = false;
  bool anyTaken_ = false;
  uint32_t lastTaken_ = 0;
  bool down_ = false;
  bool ignoring_ = false;
  bool long_ = false;
  bool offDown_ = false;
  bool offTaken_ = false;
  platform::Button* target_ = nullptr;
  int32_t link_ = 0;

  void StartLongPress(uint32_t step);
};

// Whether a tenths-of-a-second text from the settings is an ignore time.
bool ValidIgnoreTenths(int32_t tenths);

}  // namespace sonavia::controls
