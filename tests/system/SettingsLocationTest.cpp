#include "system/SettingsLocation.h"

#include <gtest/gtest.h>

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
      {nullptr, "", ""},
      {nullptr, nullptr, ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(SettingsFilePath(c.xdg, c.home, "F.ini"), c.expected)
        << (c.xdg ? c.xdg : "(unset)") << " " << (c.home ? c.home : "(unset)");
  }
}

}  // namespace
}  // namespace sonavia::system
