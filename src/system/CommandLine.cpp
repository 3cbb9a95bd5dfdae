#include "system/CommandLine.h"

#include <filesystem>

#include "platform/FileAddress.h"

namespace sonavia::system {

namespace {

bool EndsWith(const std::string& text, const std::string& end) {
  return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

bool HasScheme(const std::string& text) {
  // "scheme:" with a scheme of letters, digits, "+", "-" or "."; a single
  // letter would be a drive, which this platform has not, so two at least.
  const auto colon = text.find(':');
  if (colon == std::string::npos || colon < 2) return false;
  for (size_t i = 0; i < colon; ++i) {
    const char c = text[i];
    const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
    const bool other = (c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.';
    if (!letter && !(i > 0 && other)) return false;
  }
  return true;
}

// "www.example.com" or "example.org/page": a dot in the first part, and no
// sign of being a path.
bool LooksLikeHost(const std::string& text) {
  if (text.empty() || text[0] == '/' || text[0] == '.' || text[0] == '~') return false;
  const std::string host = text.substr(0, text.find('/'));
  const auto dot = host.find('.');
  return dot != std::string::npos && dot > 0 && dot + 1 < host.size() &&
         host.find(' ') == std::string::npos && !EndsWith(host, ".htm") && !EndsWith(host, ".html");
}

// `path` made absolute from `currentDirectory` and without "." and ".."
// steps or a final "/". A folder the system could not name counts as the
// root, so that the result is a path and never a host.
std::string AbsolutePath(const std::string& path, const std::string& currentDirectory) {
  std::filesystem::path full(path);
  if (full.is_relative()) {
    full = std::filesystem::path(currentDirectory.empty() ? "/" : currentDirectory) / full;
  }
  std::string text = full.lexically_normal().string();
  if (text.size() > 1 && text.back() == '/') text.pop_back();
  return text;
}

}  // namespace

std::string AddressForArgument(const std::string& argument, const std::string& currentDirectory,
                               const FileExists& exists) {
  if (HasScheme(argument)) return argument;
  if (exists(argument) || !LooksLikeHost(argument)) {
    return platform::FileAddress(AbsolutePath(argument, currentDirectory));
  }
  return "http://" + argument;
}

CommandLine ParseCommandLine(const std::vector<std::string>& arguments,
                             const std::string& currentDirectory, const FileExists& exists) {
  CommandLine line;
  bool optionsEnded = false;
  for (const std::string& argument : arguments) {
    if (!optionsEnded && argument == "--") {
      optionsEnded = true;
      continue;
    }
    const bool option = !optionsEnded && argument.size() > 1 && argument[0] == '-';
    if (option && (argument == "--help" || argument == "-h")) {
      line.action = CommandLine::Action::Help;
      return line;
    }
    if (option && (argument == "--version" || argument == "-v")) {
      line.action = CommandLine::Action::Version;
      return line;
    }
    // An unknown option, or a second address: the user meant something else.
    if (option || !line.address.empty() || argument.empty()) {
      line.action = CommandLine::Action::Error;
      line.rejected = argument;
      return line;
    }
    line.address = AddressForArgument(argument, currentDirectory, exists);
  }
  return line;
}

std::string Usage(const std::string& programName) {
  return "\xC3\x9As: " + programName +
         " [ADRE\xC3\x87"
         "A]\n"
         "  Navegador web que llegeix les p\xC3\xA0gines en veu alta.\n"
         "  ADRE\xC3\x87"
         "A: una adre\xC3\xA7"
         "a web o un fitxer, que s'obre en lloc de la "
         "p\xC3\xA0gina d'inici.\n"
         "  --help     mostra aquesta ajuda\n"
         "  --version  mostra la versi\xC3\xB3\n"
         "\n"
         "Usage: " +
         programName +
         " [ADDRESS]\n"
         "  A web browser that reads pages aloud.\n"
         "  ADDRESS: a web address or a file, opened instead of the start page.\n"
         "  --help     show this help\n"
         "  --version  show the version\n";
}

std::string StartPagePath(const std::string& currentDirectory, const std::string& installedPages,
                          const FileExists& exists) {
  const std::string own = AbsolutePath(kStartPageName, currentDirectory);
  if (!exists(own) && !installedPages.empty()) {
    const std::string installed = AbsolutePath(kStartPageName, installedPages);
    if (exists(installed)) return installed;
  }
  return own;
}

}  // namespace sonavia::system
