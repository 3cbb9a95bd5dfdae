#include "shell/PageFocus.h"

namespace sonavia::shell {

void PageFocus::FocusMoved(const std::optional<reading::PageControl>& control, bool users) {
  // A page that moves its own focus takes nothing from the user: a control
  // it focuses gets Enter only once the user types there.
  if (!users) {
    if (!control) inControl_ = false;
    return;
  }
  inControl_ = control.has_value() && control->kind != reading::ControlKind::Link;
  if (inControl_) w_.say(reading::ControlAnnouncement(*control, w_.castilian()));
}

void PageFocus::Typed(const std::string& text) {
  inControl_ = true;
  if (w_.echoTyping.Checked() && !text.empty()) w_.say(text);
}

}  // namespace sonavia::shell
