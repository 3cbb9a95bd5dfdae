#include "system/SettingsLocation.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

namespace sonavia::system {
namespace {

TEST(SettingsLocation, TheUsersConfigurationFolder) {
  struct Case {
    const char* xdg;
    const char* home;
    std::string expected;
  } const cases[] = {
      {"/x/conf", "/home/u", "/x/conf/sonavia/F.ini"},
      {"/x/conf/", "/home/u", "/x/conf/sonavia/F.ini"},
      {nullptr, "/home/u", "/home/u/.config/sonavia/F.ini"},
      {"", "/home/u", "/home/u/.config/sonavia/F.ini"},
      {"relative/conf", "/home/u", "/home/u/.config/sonavia/F.ini"},
      {"/", nullptr, "/sonavia/F.ini"},
      {"//", nullptr, "/sonavia/F.ini"},
      {nullptr, "", ""},
      {nullptr, nullptr, ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(SettingsFilePath(c.xdg, c.home, "F.ini"), c.expected)
        << (c.xdg ? c.xdg : "(unset)") << " " << (c.home ? c.home : "(unset)");
  }
}

// The same rules from this process's environment, restored afterwards.
TEST(SettingsLocation, FromTheEnvironment) {
  const auto saved = [](const char* name) {
    const char* value = std::getenv(name);
    return value ? std::optional<std::string>(value) : std::nullopt;
  };
  const auto xdg = saved("XDG_CONFIG_HOME"), home = saved("HOME");
  ::setenv("HOME", "/home/u", 1);
  ::setenv("XDG_CONFIG_HOME", "/x/conf", 1);
  EXPECT_EQ(SettingsFilePath("F.ini"), "/x/conf/sonavia/F.ini");
  ::unsetenv("XDG_CONFIG_HOME");
  EXPECT_EQ(SettingsFilePath("F.ini"), "/home/u/.config/sonavia/F.ini");
  for (const auto& [name, value] : {std::pair{"XDG_CONFIG_HOME", xdg}, std::pair{"HOME", home}}) {
    if (value) {
      ::setenv(name, value->c_str(), 1);
    } else {
      ::unsetenv(name);
    }
  }
}

}  // namespace
}  // namespace sonavia::system
