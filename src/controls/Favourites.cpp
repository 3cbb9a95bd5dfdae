#include "controls/Favourites.h"

#include "controls/ProfileFile.h"
#include "platform/Utf8.h"
#include "reading/PageConverter.h"

namespace sonavia::controls {

namespace {

// A hostile file cannot make the list grow without bound.
constexpr size_t kMaxLines = 10000;

std::string OneLineName(const std::string& name) {
  std::string out;
  for (const char c : name) {
    const bool blank = c == '\t' || c == '\n' || c == '\r' || c == ' ';
    if (blank) {
      if (!out.empty() && out.back() != ' ') out += ' ';
    } else {
      out += c;
    }
  }
  while (!out.empty() && out.back() == ' ') out.pop_back();
  return out.substr(0, platform::Utf8PrefixLength(out, kMaxFavouriteName));
}

}  // namespace

std::optional<Favourite> ParseFavourite(const std::string& line) {
  const size_t tab = line.find('\t');
  if (tab == std::string::npos || !platform::IsUtf8(line)) return std::nullopt;
  Favourite f{line.substr(0, tab), OneLineName(line.substr(tab + 1))};
  if (f.address.empty() || f.name.empty() || f.address.size() > reading::kMaxAddressLength ||
      f.address.find(' ') != std::string::npos)
    return std::nullopt;
  return f;
}

void Favourites::Load(std::string path) {
  path_ = std::move(path);
  lines_.clear();
  const ProfileFile file = ProfileFile::Load(path_);
  const std::string& text = file.Content();
  for (size_t at = 0; at < text.size() && lines_.size() < kMaxLines;) {
    size_t end = text.find('\n', at);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(at, end - at);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    at = end + 1;
    lines_.push_back({line, ParseFavourite(line)});
  }
}

std::vector<Favourite> Favourites::List() const {
  std::vector<Favourite> list;
  const std::string start = h_.startPage ? h_.startPage() : std::string();
  if (!start.empty()) list.push_back({start, kStartPageName});
  for (const Line& line : lines_) {
    if (line.favourite && line.favourite->address != start) list.push_back(*line.favourite);
  }
  return list;
}

Favourites::Line* Favourites::Find(const std::string& address) {
  for (Line& line : lines_) {
    if (line.favourite && line.favourite->address == address) return &line;
  }
  return nullptr;
}

std::string Favourites::Add(const std::string& address, const std::string& name) {
  std::string given = OneLineName(name);
  if (given.empty()) given = OneLineName(address);
  if (Line* line = Find(address)) {
    line->favourite->name = given;
  } else {
    lines_.push_back({{}, Favourite{address, given}});
  }
  Save();
  return given;
}

bool Favourites::Rename(const std::string& address, const std::string& name) {
  Line* line = Find(address);
  const std::string given = OneLineName(name);
  if (line == nullptr || given.empty()) return false;
  line->favourite->name = given;
  Save();
  return true;
}

bool Favourites::Remove(const std::string& address) {
  for (auto it = lines_.begin(); it != lines_.end(); ++it) {
    if (it->favourite && it->favourite->address == address) {
      lines_.erase(it);
      Save();
      return true;
    }
  }
  return false;
}

void Favourites::Save() {
  if (path_.empty()) return;
  std::string text;
  for (const Line& line : lines_) {
    text += line.favourite ? line.favourite->address + "\t" + line.favourite->name : line.text;
    text += "\n";
  }
  std::string error;
  if (!ProfileFile(text).Save(path_, error) && h_.failed) h_.failed(error);
}

void Favourites::Start() {
  offeredList_ = List();
  if (offeredList_.empty()) return;
  offered_ = 0;
  Offer();
}

void Favourites::Offer() {
  if (offered_ && h_.say) h_.say(offeredList_[*offered_].name);
}

bool Favourites::Step() {
  if (!offered_) return false;
  if (++*offered_ >= offeredList_.size()) {
    Stop();
    return false;
  }
  Offer();
  return true;
}

void Favourites::Press() {
  if (!offered_) return;
  const std::string address = offeredList_[*offered_].address;
  Stop();
  if (h_.open) h_.open(address);
}

bool Favourites::Stop() {
  if (!offered_) return false;
  offered_.reset();
  return true;
}

}  // namespace sonavia::controls
