// Where the settings file lives: each user's own configuration folder, so
// that keeping settings never needs administrator rights.
#pragma once

#include <string>

namespace sonavia::system {

// "<config>/sonavia/<fileName>", where <config> is `xdgConfigHome` when it is
// an absolute path, otherwise `home` + "/.config". Empty when neither is
// usable. Either argument may be null.
std::string SettingsFilePath(const char* xdgConfigHome, const char* home, const char* fileName);

// The same from this process's environment (XDG_CONFIG_HOME, HOME, and the
// user's entry in the password database when HOME is unset).
std::string SettingsFilePath(const char* fileName);

}  // namespace sonavia::system
