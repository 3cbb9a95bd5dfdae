// Writes the settings a moment after any of them changes, as well as at the
// close: a logout that kills the program, or a crash, then loses nothing
// older than that moment.
#pragma once

#include <memory>

#include "controls/SettingsFile.h"
#include "platform/EventLoop.h"

namespace sonavia::controls {

// How often the settings are compared with what the file holds.
inline constexpr uint32_t kAutosaveInterval = 2000;

class SettingsAutosave {
 public:
  SettingsAutosave(platform::EventLoop& loop, SettingsFile& settings);

  // From when the stored settings have been applied until the close, which
  // writes them itself once speech is over.
  void Start() { timer_->SetEnabled(true); }
  void Stop() { timer_->SetEnabled(false); }

 private:
  std::unique_ptr<platform::Timer> timer_;
};

}  // namespace sonavia::controls
