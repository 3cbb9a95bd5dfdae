#include "controls/ProfileFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <optional>
#include <vector>

#include "platform/Utf8.h"

namespace sonavia::controls {

namespace {

// Beyond this a file is not a profile anyone wrote; reading it would only
// cost memory, and rewriting it would cost the close its speed.
constexpr off_t kLargestReadable = 4 * 1024 * 1024;

using profile_detail::Line;
using profile_detail::Section;

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

// Where the line holding `at` starts, not before `floor` (a line start).
std::size_t LineStart(std::string_view text, std::size_t floor, std::size_t at) {
  const void* lf = ::memrchr(text.data() + floor, '\n', at - floor);
  return lf == nullptr ? floor : static_cast<const char*>(lf) - text.data() + 1;
}

// The next section header line from the line start `from` on. Lines are
// skipped by searching for their one telling character, so that files of
// millions of short lines are read at the pace of a memory search.
std::optional<Line> NextHeader(std::string_view text, std::size_t from) {
  while (from < text.size()) {
    const void* found = std::memchr(text.data() + from, '[', text.size() - from);
    if (found == nullptr) return std::nullopt;
    const auto bracket = static_cast<std::size_t>(static_cast<const char*>(found) - text.data());
    const std::size_t start = LineStart(text, from, bracket);
    const Line line = LineAt(text, start);
    if (Trim(text.substr(start, bracket - start)).empty()) return line;
    from = line.next;
  }
  return std::nullopt;
}

std::optional<Section> FindSection(std::string_view text, std::string_view name) {
  for (auto header = NextHeader(text, 0); header; header = NextHeader(text, header->next)) {
    const auto found = HeaderName(text.substr(header->begin, header->end - header->begin));
    if (!SameName(*found, name)) continue;
    const auto next = NextHeader(text, header->next);
    return Section{*header, next ? next->begin : text.size()};
  }
  return std::nullopt;
}

std::optional<KeyLine> FindKey(std::string_view text, const Section& section,
                               std::string_view key) {
  std::size_t from = section.header.next;
  while (from < section.bodyEnd) {
    const void* found = std::memchr(text.data() + from, '=', section.bodyEnd - from);
    if (found == nullptr) break;
    const auto equals = static_cast<std::size_t>(static_cast<const char*>(found) - text.data());
    const Line line = LineAt(text, LineStart(text, from, equals));
    if (SameName(Trim(text.substr(line.begin, equals - line.begin)), key))
      return KeyLine{line, text.substr(equals + 1, line.end - equals - 1)};
    from = line.next;
  }
  return std::nullopt;
}

// The section's last line that is not blank: its header when it has none.
Line LastFilledLine(std::string_view text, const Section& section) {
  std::size_t end = section.bodyEnd;
  while (end > section.header.next) {
    const char c = text[end - 1];
    if (c != ' ' && c != '\t' && c != '\r' && c != '\n') break;
    --end;
  }
  if (end == section.header.next) return section.header;
  return LineAt(text, LineStart(text, section.header.next, end - 1));
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
    // A missing file or folder is a profile yet to be written.
    if (errno != ENOENT && errno != ENOTDIR) profile.loadError_ = Reason("cannot open");
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
      if (got == content.size()) {  // the file grew while being read
        if (content.size() > static_cast<std::size_t>(kLargestReadable)) {
          profile.loadError_ = "too large to be a settings file";
          break;
        }
        content.resize(got + 4096);
      }
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

std::optional<std::string_view> ProfileFile::RawValue(std::string_view section,
                                                      std::string_view key) const {
  if (!lastSection_ || !SameName(lastSection_->name, section))
    lastSection_ = Found{std::string(section), FindSection(content_, section)};
  const auto& found = lastSection_->place;
  const auto line = found ? FindKey(content_, *found, key) : std::nullopt;
  if (!line) return std::nullopt;
  return line->value;
}

bool ProfileFile::Has(std::string_view section, std::string_view key) const {
  return RawValue(section, key).has_value();
}

std::string ProfileFile::Read(std::string_view section, std::string_view key,
                              std::string_view fallback, std::size_t size) const {
  const auto raw = RawValue(section, key);
  if (!raw) return Cut(fallback, size);
  std::string_view value = Trim(*raw);
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front()) {
    value = value.substr(1, value.size() - 2);
  }
  return Cut(value, size);
}

void ProfileFile::Write(std::string_view section, std::string_view key, std::string_view value) {
  lastSection_.reset();
  utf8_.reset();
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
  const Line last = LastFilledLine(content_, *found);
  if (last.next == last.end)  // the file's last line, without a line end
    content_.insert(last.next, eol + entry);
  else
    content_.insert(last.next, entry + eol);
}

namespace {

// A file that is a link to another (kept with the user's other
// configuration files, say) is replaced where the link points; empty with
// `ec` set when the link cannot be followed.
std::filesystem::path SavedPath(const std::string& path, std::error_code& ec) {
  std::filesystem::path target(path);
  if (std::filesystem::is_symlink(target, ec)) return std::filesystem::weakly_canonical(target, ec);
  ec.clear();
  return target;
}

// The name mkostemp gives a temporary file of `file`: its name, a dot and
// six letters or digits.
bool IsTemporaryName(const std::string& name, const std::string& file) {
  constexpr std::size_t kMarks = 6;
  if (name.size() != file.size() + 1 + kMarks || name.compare(0, file.size(), file) != 0 ||
      name[file.size()] != '.') {
    return false;
  }
  return std::all_of(name.end() - kMarks, name.end(), [](char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
  });
}

}  // namespace

int ProfileFile::RemoveLeftovers(const std::string& path, long quietSeconds) {
  std::error_code ec;
  const std::filesystem::path target = SavedPath(path, ec);
  if (ec || !target.has_filename()) return 0;
  const std::string file = target.filename().string();
  const std::filesystem::path folder = target.has_parent_path() ? target.parent_path() : ".";
  const time_t now = ::time(nullptr);
  int removed = 0;
  // At most this many entries are looked at: a folder of millions must not
  // hold the start.
  int looked = 0;
  for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end && looked < 10000;
       it.increment(ec), ++looked) {
    const std::string name = it->path().filename().string();
    if (!IsTemporaryName(name, file)) continue;
    struct stat st {};
    // Ours: a regular file (never a link to one) of this user, and stale:
    // another run of the program saving just now writes within seconds.
    if (::lstat(it->path().c_str(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != ::geteuid() ||
        now - st.st_mtime < quietSeconds) {
      continue;
    }
    if (::unlink(it->path().c_str()) == 0) ++removed;
  }
  return removed;
}

bool ProfileFile::Save(const std::string& path, std::string& error) const {
  if (!loadError_.empty()) {
    error = "the file was not read (" + loadError_ + ")";
    return false;
  }
  std::error_code ec;
  const std::filesystem::path target = SavedPath(path, ec);
  if (ec) {
    error = "cannot follow its link: " + ec.message();
    return false;
  }
  const std::string file = target.string();
  if (target.has_parent_path()) {
    std::filesystem::create_directories(target.parent_path(), ec);
    if (ec) {
      error = "cannot create its folder: " + ec.message();
      return false;
    }
  }
  struct stat old {};
  const bool exists = ::stat(file.c_str(), &old) == 0;
  // A file made read-only keeps its content, as it would if written in
  // place. Whoever took away its write permission meant it, and the
  // superuser, whom permission bits do not stop, is held to them too.
  if (exists && S_ISREG(old.st_mode) && (old.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) {
    error = "cannot write: the file is read-only";
    return false;
  }
  if (exists && ::access(file.c_str(), W_OK) != 0) {
    error = Reason("cannot write");
    return false;
  }
  std::vector<char> temporary(file.begin(), file.end());
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
  if (ok && ::rename(temporary.data(), file.c_str()) != 0) {
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

bool ProfileFile::InUtf8() const {
  if (!utf8_) {
    const bool beyondAscii = std::any_of(content_.begin(), content_.end(), [](char c) {
      return static_cast<unsigned char>(c) >= 0x80;
    });
    utf8_ = beyondAscii && platform::IsUtf8(content_);
  }
  return *utf8_;
}

}  // namespace sonavia::controls
