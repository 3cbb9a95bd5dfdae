// Where the page's keyboard is, as far as the user put it there: in a
// control (a field, a button, a list), where Enter is the page's, or on a
// link or nothing, where Enter is the program's. The controls the user
// reaches are announced, and what the user types in them is said.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "platform/Controls.h"
#include "reading/PageControl.h"

namespace sonavia::shell {

class PageFocus {
 public:
  struct Window {
    platform::MenuItem& echoTyping;  // checked: what is typed is said
    std::function<bool()> castilian;
    // Says a short text over the reading, in the item voice.
    std::function<void(const std::string&)> say;
  };
  explicit PageFocus(Window window) : w_(std::move(window)) {}

  // The page's focus moved; `users` when the user's key or the switch put it.
  void FocusMoved(const std::optional<reading::PageControl>& control, bool users);
  // The user typed into the page's focused field: the keyboard is there.
  void Typed(const std::string& text);
  // A new page: nothing of it has the keyboard.
  void PageLeft() { inControl_ = false; }
  // Whether Enter belongs to the page: the user's keyboard is in a control.
  bool KeyboardInControl() const { return inControl_; }

 private:
  Window w_;
  bool inControl_ = false;
};

}  // namespace sonavia::shell
