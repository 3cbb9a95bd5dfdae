// What the program is asked to do from its command line, and which page it
// opens first.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace sonavia::system {

struct CommandLine {
  enum class Action { Run, Help, Version, Error };
  Action action = Action::Run;
  // The page to open instead of the start page; empty for the start page.
  std::string address;
  // For Error: the argument not understood.
  std::string rejected;
};

using FileExists = std::function<bool(const std::string& path)>;

// `arguments` without the program's name. A path, relative to
// `currentDirectory` or absolute, becomes its file address; an address with
// a scheme is kept as it is; a bare host name ("www.example.com") is a web
// address.
CommandLine ParseCommandLine(const std::vector<std::string>& arguments,
                             const std::string& currentDirectory, const FileExists& exists);

std::string AddressForArgument(const std::string& argument, const std::string& currentDirectory,
                               const FileExists& exists);

// The short usage, in Catalan and English.
std::string Usage(const std::string& programName);

inline constexpr const char* kStartPageName = "index.htm";

// The path of the page opened when no address is given: the folder's own
// "index.htm" when it has one, else the installed start page in
// `installedPages` when that is there (a desktop menu starts the program
// from the home folder), else the folder's, which the browser reports as
// missing.
std::string StartPagePath(const std::string& currentDirectory, const std::string& installedPages,
                          const FileExists& exists);

}  // namespace sonavia::system
