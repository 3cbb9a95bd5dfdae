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
        Case{{"//"}, Action::Run, "file:///"},
        Case{{"https://example.org/a?b=1"}, Action::Run, "https://example.org/a?b=1"},
        Case{{"file:///etc/hosts"}, Action::Run, "file:///etc/hosts"},
        Case{{"about:blank"}, Action::Run, "about:blank"},
        // Schemes: a letter, then letters, digits, "+", "-" or "."; one
        // letter alone would be a drive.
        Case{{"z39.50r://h/db"}, Action::Run, "z39.50r://h/db"},
        Case{{"svn+ssh://h/r"}, Action::Run, "svn+ssh://h/r"},
        Case{{"ws://h/r"}, Action::Run, "ws://h/r"},
        Case{{"view-source:a"}, Action::Run, "view-source:a"},
        Case{{"c:dades.htm"}, Action::Run, "file:///home/u/docs/c:dades.htm"},
        Case{{"10:30.htm"}, Action::Run, "file:///home/u/docs/10:30.htm"},
        Case{{"nota_1:2.htm"}, Action::Run, "file:///home/u/docs/nota_1:2.htm"},
        Case{{"www.example.org"}, Action::Run, "http://www.example.org"},
        Case{{"t.co/x"}, Action::Run, "http://t.co/x"},
        Case{{"example.org/a.htm"}, Action::Run, "http://example.org/a.htm"},
        // Not hosts: a dot that ends the name, a user's folder.
        Case{{"index."}, Action::Run, "file:///home/u/docs/index."},
        Case{{"~maria.puig/p.htm"}, Action::Run, "file:///home/u/docs/~maria.puig/p.htm"},
        // A file of that name in the folder wins over the host.
        Case{{"www.pagina.cat"}, Action::Run, "file:///home/u/docs/www.pagina.cat"},
        Case{{"a.htm"}, Action::Run, "file:///home/u/docs/a.htm"},
        Case{{"--", "-odd.htm"}, Action::Run, "file:///home/u/docs/-odd.htm"},
        Case{{"--help"}, Action::Help, ""}, Case{{"-h"}, Action::Help, ""},
        Case{{"-v"}, Action::Version, ""},
        Case{{"x.htm", "--version"}, Action::Version, "file:///home/u/docs/x.htm"},
        Case{{"--versio"}, Action::Error, ""}, Case{{"-x"}, Action::Error, ""},
        Case{{"a.htm", "b.htm"}, Action::Error, "file:///home/u/docs/a.htm"},
        Case{{""}, Action::Error, ""}));

TEST(CommandLine, TheRejectedArgumentIsNamed) {
  EXPECT_EQ(ParseCommandLine({"--colour"}, "/", Exists).rejected, "--colour");
}

TEST(CommandLine, TheUsageIsInCatalanAndEnglish) {
  EXPECT_EQ(Usage("sonavia"),
            "Ús: sonavia [ADREÇA]\n"
            "  Navegador web que llegeix les pàgines en veu alta.\n"
            "  ADREÇA: una adreça web o un fitxer, que s'obre en lloc de la pàgina d'inici.\n"
            "  --help     mostra aquesta ajuda\n"
            "  --version  mostra la versió\n"
            "\n"
            "Usage: sonavia [ADDRESS]\n"
            "  A web browser that reads pages aloud.\n"
            "  ADDRESS: a web address or a file, opened instead of the start page.\n"
            "  --help     show this help\n"
            "  --version  show the version\n");
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
                      StartCase{"/home/u/pàgines #1 ?",
                                {"/home/u/pàgines #1 ?/index.htm"},
                                "/usr/share/sonavia",
                                "/home/u/pàgines #1 ?/index.htm"}));

}  // namespace
}  // namespace sonavia::system
