// Which moves onto a link are the user's own. Only those move the reading
// and choose the link that Enter follows; a page must not do either.
//  - A link under the pointer counts only shortly after the user moved the
//    pointer: links that slide under a still pointer (the page scrolls to
//    keep the reading in view, a page lays one there) are not pointed at.
//  - A focus move counts only as the answer to the user's focus key (Tab,
//    Shift+Tab, the "Tab" button), one move per press: focus that a page's
//    script moves by itself does not.
// The browser component tells it what the user did and asks it about what
// the engine reports.
#pragma once

#include <cstdint>

#include "platform/EventLoop.h"

namespace sonavia::shell {

// How long after the user's last pointer move a link under the pointer is
// taken as pointed at; the engine reports it within a few milliseconds.
inline constexpr uint32_t kHoverAfterMove = 1000;
// How long after the user's focus key the page's focus move is taken as its
// answer; the page reports it within a few milliseconds, more on a busy
// machine.
inline constexpr uint32_t kFocusAfterKey = 2000;
// How long after the user's key or click a page may open a window of its
// own (a file chooser): one that opens later is the page's own doing.
inline constexpr uint32_t kWindowAfterPress = 2000;
// Presses that may wait for their focus moves: a held key repeats.
inline constexpr int kFocusKeysWaiting = 16;

class UserIntent {
 public:
  explicit UserIntent(platform::EventLoop& clock) : clock_(clock) {}

  // The user moved the pointer to another place.
  void PointerMoved();
  // The user pressed a key that moves the page's focus.
  void FocusKeyPressed();

  // The user pressed a key or a button in the page.
  void Pressed();
  // Whether the page may open a window of its own now: the user pressed a
  // key or a button in it shortly before.
  bool WindowIsUsers() { return pressed_ && Within(lastPress_, kWindowAfterPress); }

  // The engine reports a link under the pointer: whether the user put it
  // there.
  bool HoverIsUsers();
  // The page's focus moved, onto a link or elsewhere: whether it answers
  // a press of the user's focus key. Each press answers one move.
  bool FocusMoveIsUsers();

 private:
  bool Within(uint32_t since, uint32_t span) {
    return static_cast<uint32_t>(clock_.TickCount() - since) <= span;
  }

  platform::EventLoop& clock_;
  bool moved_ = false;
  uint32_t lastMove_ = 0;
  bool pressed_ = false;
  uint32_t lastPress_ = 0;
  int keysWaiting_ = 0;
  uint32_t lastKey_ = 0;
};

}  // namespace sonavia::shell
