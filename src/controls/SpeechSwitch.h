// Speech on or off as the user sees it: the menu item's check mark and
// caption and the speech button's caption, always set together here.
#pragma once

#include "platform/Controls.h"

namespace sonavia::controls {

class SpeechSwitch {
 public:
  // Speech starts on.
  SpeechSwitch(platform::MenuItem& item, platform::Button& button) : item_(item), button_(button) {
    Set(true);
  }
  SpeechSwitch(const SpeechSwitch&) = delete;
  SpeechSwitch& operator=(const SpeechSwitch&) = delete;

  void Set(bool on) {
    on_ = on;
    item_.SetChecked(on);
    button_.SetCaption(on ? "No parlar" : "Parlar");
    item_.SetCaption(on ? "Desactivar la &Lectura (pausa)" : "Activar la &Lectura (continuar)");
  }

  // What the captions say, which the reading follows. Without the speech
  // library the window unchecks the item alone and the captions stay.
  bool On() const { return on_; }
  // The item's check mark, which the page events and the settings read.
  bool Checked() const { return item_.Checked(); }

 private:
  platform::MenuItem& item_;
  platform::Button& button_;
  bool on_ = true;
};

}  // namespace sonavia::controls
