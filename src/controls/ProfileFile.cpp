#include "controls/ProfileFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <optional>
#include <vector>

namespace sonavia::controls {

namespace {

// Beyond this a file is not a profile anyone wrote; reading it would only
// cost memory, and rewriting it would cost the close its speed.
constexpr off_t kLargestReadable = 256 * 1024 * 1024;

struct Line {
  std::size_t begin;  // first byte
  std::size_t end;    // past the last byte before the line end
  std::size_t next;   // first byte of the next line
};

// The line that starts at `begin`; a line ends in LF or CR LF.
Line LineAt(std::string_view text, std::size_t begin) {
  const void* lf = std::memchr(text.data() + begin, '\n', text.size() - begin);
  if (lf == nullptr) return {begin, text.size(), text.size()};
  const auto at = static_cast<std::size_t>(static_cast<const char*>(lf) - text.data());
  const std::size_t end = (at > begin && text[at - 1] == '\r') ? at - 1 : at;
  return {begin, end, at + 1};
}

std::string_view Trim(std::string_view text) {
  const auto blank = [](char c) { return c == ' ' || c == '\t'; };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  return text;
}

// Windows-1252 letters to lower case, accented ones included.
unsigned char Fold(unsigned char c) {
  if ((c >= 'A' && c <= 'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7)) return c + 0x20;
  switch (c) {
    case 0x8A:
    case 0x8C:
    case 0x8E:
      return c + 0x10;
    case 0x9F:
      return 0xFF;
    default:
      return c;
  }
}

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (Fold(static_cast<unsigned char>(a[i])) != Fold(static_cast<unsigned char>(b[i])))
      return false;
  }
  return true;
}

// The name of a section header line ("[name]"), if the line is one.
std::optional<std::string_view> HeaderName(std::string_view line) {
  line = Trim(line);
  if (line.empty() || line.front() != '[') return std::nullopt;
  line.remove_prefix(1);
  return Trim(line.substr(0, line.find(']')));
}

struct KeyLine {
  Line line;
  std::string_view value;  // after the equals sign, blanks included
};

struct Section {
  Line header;
  std::size_t bodyEnd;  // where the next section's header starts
};

std::optional<Section> FindSection(std::string_view text, std::string_view name) {
  for (std::size_t at = 0; at < text.size();) {
    const Line line = LineAt(text, at);
    at = line.next;
    const auto header = HeaderName(text.substr(line.begin, line.end - line.begin));
    if (!header || !SameName(*header, name)) continue;
    std::size_t end = at;
    while (end < text.size()) {
      const Line body = LineAt(text, end);
      if (HeaderName(text.substr(body.begin, body.end - body.begin))) break;
      end = body.next;
    }
    return Section{line, end};
  }
  return std::nullopt;
}

std::optional<KeyLine> FindKey(std::string_view text, const Section& section,
                               std::string_view key) {
  for (std::size_t at = section.header.next; at < section.bodyEnd;) {
    const Line line = LineAt(text, at);
    at = line.next;
    const std::string_view content = text.substr(line.begin, line.end - line.begin);
    const std::size_t equals = content.find('=');
    if (equals == std::string_view::npos) continue;
    if (SameName(Trim(content.substr(0, equals)), key))
      return KeyLine{line, content.substr(equals + 1)};
  }
  return std::nullopt;
}

// What a fixed buffer of `size` characters holds of a C string.
std::string Cut(std::string_view text, std::size_t size) {
  text = text.substr(0, text.find('\0'));
  return std::string(text.substr(0, size == 0 ? 0 : size - 1));
}

// A name or value must not break the file's lines.
std::string_view OneLine(std::string_view text) {
  return text.substr(0, text.find_first_of("\r\n"));
}

std::string LineEndOf(std::string_view text) {
  const std::size_t lf = text.find('\n');
  return (lf != std::string_view::npos && lf > 0 && text[lf - 1] == '\r') ? "\r\n" : "\n";
}

std::string Reason(const std::string& what) {
  return what + ": " + std::strerror(errno);
}

bool WriteAll(int fd, std::string_view data) {
  while (!data.empty()) {
    const ssize_t n = ::write(fd, data.data(), data.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

}  // namespace

ProfileFile ProfileFile::Load(const std::string& path) {
  ProfileFile profile;
  // Non-blocking, so that a pipe put in the file's place cannot hang the start.
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    if (errno != ENOENT) profile.loadError_ = Reason("cannot open");
    return profile;
  }
  struct stat info {};
  if (::fstat(fd, &info) != 0) {
    profile.loadError_ = Reason("cannot examine");
  } else if (!S_ISREG(info.st_mode)) {
    profile.loadError_ = "not a regular file";
  } else if (info.st_size > kLargestReadable) {
    profile.loadError_ = "too large to be a settings file";
  } else {
    std::string content;
    content.resize(static_cast<std::size_t>(info.st_size));
    std::size_t got = 0;
    for (;;) {
      if (got == content.size()) content.resize(got + 4096);  // the file grew
      const ssize_t n = ::read(fd, content.data() + got, content.size() - got);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) {
        profile.loadError_ = Reason("cannot read");
        break;
      }
      if (n == 0) break;
      got += static_cast<std::size_t>(n);
    }
    content.resize(got);
    if (profile.loadError_.empty()) profile.content_ = std::move(content);
  }
  ::close(fd);
  return profile;
}

std::string ProfileFile::Read(std::string_view section, std::string_view key,
                              std::string_view fallback, std::size_t size) const {
  const auto found = FindSection(content_, section);
  const auto line = found ? FindKey(content_, *found, key) : std::nullopt;
  if (!line) return Cut(fallback, size);
  std::string_view value = Trim(line->value);
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front()) {
    value = value.substr(1, value.size() - 2);
  }
  return Cut(value, size);
}

void ProfileFile::Write(std::string_view section, std::string_view key, std::string_view value) {
  section = OneLine(section);
  const std::string eol = LineEndOf(content_);
  std::string entry(OneLine(key));
  entry.append("=").append(OneLine(value));
  const auto found = FindSection(content_, section);
  if (!found) {
    if (!content_.empty() && content_.back() != '\n') content_ += eol;
    content_.append("[").append(section).append("]").append(eol);
    content_.append(entry).append(eol);
    return;
  }
  if (const auto line = FindKey(content_, *found, key)) {
    content_.replace(line->line.begin, line->line.end - line->line.begin, entry);
    return;
  }
  // After the section's last line that is not blank, so that a blank line
  // that parts it from the next section stays where it is.
  Line last = found->header;
  for (std::size_t at = found->header.next; at < found->bodyEnd;) {
    const Line line = LineAt(content_, at);
    at = line.next;
    if (!Trim(std::string_view(content_).substr(line.begin, line.end - line.begin)).empty())
      last = line;
  }
  if (last.next == last.end)  // the file's last line, without a line end
    content_.insert(last.next, eol + entry);
  else
    content_.insert(last.next, entry + eol);
}

bool ProfileFile::Save(const std::string& path, std::string& error) const {
  if (!loadError_.empty()) {
    error = "the file was not read (" + loadError_ + ")";
    return false;
  }
  const std::filesystem::path target(path);
  std::error_code ec;
  if (target.has_parent_path()) {
    std::filesystem::create_directories(target.parent_path(), ec);
    if (ec) {
      error = "cannot create its folder: " + ec.message();
      return false;
    }
  }
  struct stat old {};
  const bool exists = ::stat(path.c_str(), &old) == 0;
  // A file made read-only keeps its content, as it would if written in place.
  if (exists && ::access(path.c_str(), W_OK) != 0) {
    error = Reason("cannot write");
    return false;
  }
  std::vector<char> temporary(path.begin(), path.end());
  const char suffix[] = ".XXXXXX";
  temporary.insert(temporary.end(), suffix, suffix + sizeof suffix);
  const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
  if (fd < 0) {
    error = Reason("cannot create a temporary file");
    return false;
  }
  bool ok = true;
  if (exists && S_ISREG(old.st_mode)) (void)::fchmod(fd, old.st_mode & 07777);
  if (!WriteAll(fd, content_)) {
    error = Reason("cannot write");
    ok = false;
  } else if (::fsync(fd) != 0) {
    error = Reason("cannot flush");
    ok = false;
  }
  if (::close(fd) != 0 && ok) {
    error = Reason("cannot close");
    ok = false;
  }
  if (ok && ::rename(temporary.data(), path.c_str()) != 0) {
    error = Reason("cannot replace");
    ok = false;
  }
  if (!ok) {
    ::unlink(temporary.data());
    return false;
  }
  // The rename itself reaches the disk with its folder.
  const std::string folder = target.has_parent_path() ? target.parent_path().string() : ".";
  const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    (void)::fsync(dir);
    ::close(dir);
  }
  return true;
}

}  // namespace sonavia::controls
