#include "system/SettingsLocation.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>

namespace sonavia::system {

std::string SettingsFilePath(const char* xdgConfigHome, const char* home, const char* fileName) {
  std::string config;
  // A relative XDG_CONFIG_HOME is invalid and must be ignored.
  if (xdgConfigHome != nullptr && xdgConfigHome[0] == '/') {
    config = xdgConfigHome;
  } else if (home != nullptr && home[0] == '/') {
    config = std::string(home) + "/.config";
  } else {
    return {};
  }
  while (config.size() > 1 && config.back() == '/') config.pop_back();
  if (config == "/") config.clear();
  return config + "/sonavia/" + fileName;
}

std::string SettingsFilePath(const char* fileName) {
  const char* home = std::getenv("HOME");
  if (home == nullptr) {
    if (const passwd* user = ::getpwuid(::getuid())) home = user->pw_dir;
  }
  return SettingsFilePath(std::getenv("XDG_CONFIG_HOME"), home, fileName);
}

}  // namespace sonavia::system
