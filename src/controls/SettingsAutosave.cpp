#include "controls/SettingsAutosave.h"

namespace sonavia::controls {

SettingsAutosave::SettingsAutosave(platform::EventLoop& loop, SettingsFile& settings)
    : timer_(loop.CreateTimer()) {
  timer_->SetEnabled(false);
  timer_->SetInterval(kAutosaveInterval);
  timer_->SetOnTimer([&settings] { settings.WriteIfChanged(); });
}

}  // namespace sonavia::controls
