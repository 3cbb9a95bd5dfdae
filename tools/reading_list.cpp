// reading-list: prints the reading list the browser would build for an HTML
// file, as one JSON object.
//
//   reading-list [--title TEXT] [--speak] FILE   (FILE may be "-" for standard input)
//
// FILE is a regular file of at most 16 MiB (UTF-8, else Windows-1252); any
// other exits with status 2.
//
// With --speak it then reads the page aloud from the first unit, with the
// speech library and the reading sequencer, and exits when the reading ends.
#include <fcntl.h>
#include <malloc.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <string>

#include "platform/Controls.h"
#include "platform/Cp1252.h"
#include "platform/Utf8.h"
#include "reading/PageConverter.h"
#include "reading/ReadingList.h"
#include "reading/ReadingPlaces.h"
#include "reading/ReadingSequencer.h"
#include "speech/SpeechEngine.h"
#include "system/DlLibraryLoader.h"
#include "system/RealTimeEventLoop.h"

namespace {

void Usage() {
  std::cerr << "usage: reading-list [--title TEXT] [--speak] FILE\n";
}

// Reads the converted list aloud as the browser would, with speech on and
// the speed field at its default.
int SpeakList(sonavia::reading::ReadingList& list, const std::string& html) {
  using namespace sonavia;
  system::RealTimeEventLoop loop;
  system::DlLibraryLoader loader;
  platform::Edit speedField("EditVelocitat");
  speedField.SetText("180");
  // Links are not followed here: no page address to resolve them against.
  speech::SpeechEngine engine(loader, list, speedField, {});
  const std::string title = list.PageTitle;
  if (engine.LoadSpeechEngine()) {
    std::cerr << "reading-list: the speech library " << speech::kSpeechLibraryName
              << " cannot be loaded\n";
    return 2;
  }
  list.SetPageTitle(title);
  auto poll = loop.CreateTimer();
  reading::ReadingSequencer sequencer(
      list, engine, loop, *poll, [] { return true; }, speedField);
  reading::PageConverter converter(list, &sequencer);
  converter.ConvertPage(html);
  reading::ReadingPlaces().Take(list, {});
  // A page too long to read whole starts with its warning; the poll then
  // hands over to unit 1.
  if (!converter.ReachedLimit()) sequencer.StartReadingAt(1);
  loop.RunUntil([&] { return !poll->Enabled() && !engine.Speaking; });
  engine.FreeSpeechEngine();
  return 0;
}

// A byte of the page that is no UTF-8 shows as the replacement character,
// so that the output is always valid JSON.
std::string JsonString(const std::string& text) {
  std::string utf8;
  for (size_t i = 0; i < text.size();) {
    const auto character = sonavia::platform::DecodeUtf8(text, i);
    if (character.code == sonavia::platform::kMalformed) {
      utf8 += "\uFFFD";
    } else {
      utf8.append(text, i, character.length);
    }
    i += character.length;
  }
  std::string out = "\"";
  for (const char ch : utf8) {
    const auto c = static_cast<unsigned char>(ch);
    if (c == '"') {
      out += "\\\"";
    } else if (c == '\\') {
      out += "\\\\";
    } else if (c < 0x20) {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\u%04x", c);
      out += buf;
    } else {
      out.push_back(ch);
    }
  }
  return out + "\"";
}

// Pages larger than this are refused: a browser page is far smaller, and a
// device such as /dev/zero or a runaway pipe must not exhaust the machine.
constexpr size_t kMaxPageBytes = 16 * 1024 * 1024;

// Reads all of `fd` in large blocks, up to the limit; false on an error or
// when there is more than the limit.
bool ReadAll(int fd, std::string& text, size_t sizeHint, std::string& why) {
  text.resize(std::max<size_t>(sizeHint + 1, 64 * 1024));
  size_t got = 0;
  for (;;) {
    if (got == text.size()) {
      if (text.size() > kMaxPageBytes) break;
      text.resize(std::min(text.size() * 2, kMaxPageBytes + 1));
    }
    const ssize_t n = ::read(fd, text.data() + got, text.size() - got);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      why = std::strerror(errno);
      return false;
    }
    if (n == 0) break;
    got += static_cast<size_t>(n);
  }
  if (got > kMaxPageBytes) {
    why = "larger than " + std::to_string(kMaxPageBytes) + " bytes";
    return false;
  }
  text.resize(got);
  return true;
}

// A regular file, or standard input for "-". `why` says what went wrong.
bool ReadInput(const std::string& path, std::string& text, std::string& why) {
  if (path == "-") return ReadAll(STDIN_FILENO, text, 0, why);
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    why = std::strerror(errno);
    return false;
  }
  struct stat info {};
  bool ok = false;
  if (::fstat(fd, &info) != 0) {
    why = std::strerror(errno);
  } else if (!S_ISREG(info.st_mode)) {
    why = "not a regular file";
  } else if (static_cast<uint64_t>(info.st_size) > kMaxPageBytes) {
    why = "larger than " + std::to_string(kMaxPageBytes) + " bytes";
  } else {
    ok = ReadAll(fd, text, static_cast<size_t>(info.st_size), why);
  }
  ::close(fd);
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  // The conversion passes each build a text as long as the page; kept in
  // the heap instead of fresh mappings, their memory is reused without a
  // page fault for every page of it.
  mallopt(M_MMAP_THRESHOLD, 256 * 1024 * 1024);
  mallopt(M_TRIM_THRESHOLD, 512 * 1024 * 1024);
  std::string title;
  std::string path;
  bool havePath = false;
  bool speak = false;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--speak") {
      speak = true;
    } else if (arg == "--title" && i + 1 < argc) {
      title = argv[++i];
    } else if (!havePath && (arg == "-" || arg.rfind("--", 0) != 0)) {
      path = arg;
      havePath = true;
    } else {
      Usage();
      return 2;
    }
  }
  if (!havePath) {
    Usage();
    return 2;
  }
  std::string html;
  std::string why;
  if (!ReadInput(path, html, why)) {
    std::cerr << "reading-list: cannot read " << path << ": " << why << "\n";
    return 2;
  }
  // A page saved before UTF-8 was usual is Windows-1252, as browsers take it.
  if (!sonavia::platform::IsUtf8(html)) html = sonavia::platform::Cp1252ToUtf8(html);

  auto& list = sonavia::reading::TheReadingList();
  list.SetPageTitle(title);
  sonavia::reading::PageConverter converter(list, nullptr);
  converter.ConvertPage(html);
  // The page view's paragraph ends are the program's, never heard.
  sonavia::reading::ReadingPlaces().Take(list, {});

  std::string out = "{\"units\":[";
  for (int32_t i = 1; i <= list.UnitCount; ++i) {
    if (i > 1) out += ',';
    out += "{\"text\":" + JsonString(list.Unit(i).Text) +
           ",\"kind\":" + std::to_string(static_cast<int>(list.Unit(i).Kind)) + "}";
  }
  out += "],\"links\":[";
  for (int32_t i = 1; i <= list.LinkCount; ++i) {
    if (i > 1) out += ',';
    const auto& link = list.Link(i);
    out += "{\"address\":" + JsonString(link.Address) + ",\"text\":" + JsonString(link.Text) +
           ",\"unit\":" + std::to_string(link.UnitIndex) + "}";
  }
  out += "],\"unitCount\":" + std::to_string(list.UnitCount) +
         ",\"linkCount\":" + std::to_string(list.LinkCount) +
         ",\"tooLong\":" + (converter.ReachedLimit() ? "true" : "false") + "}\n";
  std::cout << out << std::flush;
  if (!std::cout.good()) return 1;
  return speak ? SpeakList(list, html) : 0;
}
