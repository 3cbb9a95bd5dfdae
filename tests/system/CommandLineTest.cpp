#include "system/CommandLine.h"

#include <gtest/gtest.h>

#include <set>

namespace sonavia::system {
namespace {

using Action = CommandLine::Action;

struct Case {
  std::vector<std::string> arguments;
  Action action;
  std::string address;
};

class CommandLineTest : public ::testing::TestWithParam<Case> {};

// Files that exist, for the cases that depend on it.
const std::set<std::string> kFiles = {"www.pagina.cat", "/srv/web/index.htm"};
bool Exists(const std::string& path) {
  return kFiles.count(path) != 0;
}

TEST_P(CommandLineTest, ReadsTheArguments) {
  const Case& c = GetParam();
  const CommandLine line = ParseCommandLine(c.arguments, "/home/u/docs", Exists);
  EXPECT_EQ(line.action, c.action);
  EXPECT_EQ(line.address, c.address);
}

INSTANTIATE_TEST_SUITE_P(
    Arguments, CommandLineTest,
    ::testing::Values(
        Case{{}, Action::Run, ""},
        Case{{"pagina.htm"}, Action::Run, "file:///home/u/docs/pagina.htm"},
        Case{{"../a/./b.html"}, Action::Run, "file:///home/u/a/b.html"},
        Case{{"/srv/web/index.htm"}, Action::Run, "file:///srv/web/index.htm"},
        Case{{"/srv/web/"}, Action::Run, "file:///srv/web"},
        Case{{"dir with space/p.htm"}, Action::Run, "file:///home/u/docs/dir with space/p.htm"},
        // What an address would read as a fragment, a query or an escape.
        Case{{"a #1/b?.htm"}, Action::Run, "file:///home/u/docs/a %231/b%3F.htm"},
        Case{{"/srv/100%.html"}, Action::Run, "file:///srv/100%25.html"},
        Case{{"pagina.html"}, Action::Run, "file:///home/u/docs/pagina.html"},
        Case{{"https://example.org/a?b=1"}, Action::Run, "https://example.org/a?b=1"},
        Case{{"file:///etc/hosts"}, Action::Run, "file:///etc/hosts"},
        Case{{"about:blank"}, Action::Run, "about:blank"},
        Case{{"www.example.org"}, Action::Run, "http://www.example.org"},
        Case{{"example.org/a.htm"}, Action::Run, "http://example.org/a.htm"},
        // A file of that name in the folder wins over the host.
        Case{{"www.pagina.cat"}, Action::Run, "file:///home/u/docs/www.pagina.cat"},
        Case{{"a.htm"}, Action::Run, "file:///home/u/docs/a.htm"},
        Case{{"--", "-odd.htm"}, Action::Run, "file:///home/u/docs/-odd.htm"},
        Case{{"--help"}, Action::Help, ""}, Case{{"-h"}, Action::Help, ""},
        Case{{"x.htm", "--version"}, Action::Version, "file:///home/u/docs/x.htm"},
        Case{{"--versio"}, Action::Error, ""}, Case{{"-x"}, Action::Error, ""},
        Case{{"a.htm", "b.htm"}, Action::Error, "file:///home/u/docs/a.htm"},
        Case{{""}, Action::Error, ""}));

TEST(CommandLine, TheRejectedArgumentIsNamed) {
  EXPECT_EQ(ParseCommandLine({"--colour"}, "/", Exists).rejected, "--colour");
}

TEST(CommandLine, TheUsageIsInCatalanAndEnglish) {
  const std::string usage = Usage("sonavia");
  for (const char* part : {"\xC3\x9As: sonavia [ADRE\xC3\x87"
                           "A]",
                           "Usage: sonavia [ADDRESS]", "--help", "--version"}) {
    EXPECT_NE(usage.find(part), std::string::npos) << part;
  }
}

TEST(CommandLine, AFolderTheSystemCouldNotNameCountsAsTheRoot) {
  EXPECT_EQ(ParseCommandLine({"a.htm"}, "", Exists).address, "file:///a.htm");
  EXPECT_EQ(StartPagePath("", "", Exists), "/index.htm");
}

struct StartCase {
  std::string folder;
  std::set<std::string> files;
  std::string installed;
  std::string path;
};

class StartPageTest : public ::testing::TestWithParam<StartCase> {};

TEST_P(StartPageTest, TheFolderOwnPageWinsThenTheInstalledOne) {
  const StartCase& c = GetParam();
  const auto exists = [&](const std::string& path) { return c.files.count(path) != 0; };
  EXPECT_EQ(StartPagePath(c.folder, c.installed, exists), c.path);
}

INSTANTIATE_TEST_SUITE_P(
    Folders, StartPageTest,
    ::testing::Values(StartCase{"/home/u",
                                {"/home/u/index.htm", "/usr/share/sonavia/index.htm"},
                                "/usr/share/sonavia",
                                "/home/u/index.htm"},
                      StartCase{"/home/u",
                                {"/usr/share/sonavia/index.htm"},
                                "/usr/share/sonavia",
                                "/usr/share/sonavia/index.htm"},
                      StartCase{"/home/u",
                                {"/opt/s/share/sonavia/index.htm"},
                                "/opt/s/bin/../share/sonavia",
                                "/opt/s/share/sonavia/index.htm"},
                      // Nothing installed: the folder's, reported missing by the browser.
                      StartCase{"/home/u", {}, "/usr/share/sonavia", "/home/u/index.htm"},
                      StartCase{"/home/u", {}, "", "/home/u/index.htm"},
                      StartCase{"/", {"/index.htm"}, "", "/index.htm"},
                      StartCase{"/home/u/p\xE0gines #1 ?",
                                {"/home/u/p\xE0gines #1 ?/index.htm"},
                                "/usr/share/sonavia",
                                "/home/u/p\xE0gines #1 ?/index.htm"}));

}  // namespace
}  // namespace sonavia::system
