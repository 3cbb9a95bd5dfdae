#include "shell/UserIntent.h"

namespace sonavia::shell {

void UserIntent::PointerMoved() {
  moved_ = true;
  lastMove_ = clock_.TickCount();
}

void UserIntent::FocusKeyPressed() {
  // Presses whose time is over have had their answer, or never get one.
  if (!Within(lastKey_, kFocusAfterKey)) keysWaiting_ = 0;
  if (keysWaiting_ < kFocusKeysWaiting) ++keysWaiting_;
  lastKey_ = clock_.TickCount();
}

void UserIntent::Pressed() {
  pressed_ = true;
  lastPress_ = clock_.TickCount();
}

bool UserIntent::HoverIsUsers() {
  return moved_ && Within(lastMove_, kHoverAfterMove);
}

bool UserIntent::FocusMoveIsUsers() {
  if (keysWaiting_ == 0 || !Within(lastKey_, kFocusAfterKey)) {
    keysWaiting_ = 0;
    return false;
  }
  --keysWaiting_;
  return true;
}

}  // namespace sonavia::shell
