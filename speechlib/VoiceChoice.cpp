#include "VoiceChoice.h"

#include <espeak-ng/speak_lib.h>

#include <cstring>
#include <mutex>
#include <tuple>

namespace upctv {

namespace {

bool IsLetter(char c) {
  return c >= 'a' && c <= 'z';
}
bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

}  // namespace

std::string NormalLanguageName(std::string_view name) {
  constexpr size_t kLongest = 35;
  if (name.empty() || name.size() > kLongest) return {};
  std::string out;
  for (char c : name) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c == '_') c = '-';
    out.push_back(c);
  }
  // The first part: two or three letters.
  size_t i = 0;
  while (i < out.size() && IsLetter(out[i])) ++i;
  if (i < 2 || i > 3) return {};
  // Then "-" and one to eight letters or digits, any number of times.
  while (i < out.size()) {
    if (out[i] != '-') return {};
    const size_t start = ++i;
    while (i < out.size() && (IsLetter(out[i]) || IsDigit(out[i]))) ++i;
    if (i == start || i - start > 8) return {};
  }
  return out;
}

std::string ChooseVoice(const std::vector<VoiceInfo>& voices, std::string_view language) {
  if (language.empty()) return {};
  // Ranked by how the listed language meets the wanted one, then by how
  // particular a broader language is, then by priority.
  using Rank = std::tuple<int, int, int>;
  const VoiceInfo* best = nullptr;
  Rank bestRank{};
  for (const VoiceInfo& voice : voices) {
    for (const VoiceInfo::Language& listed : voice.languages) {
      const std::string_view name = listed.name;
      int how;
      if (name == language) {
        how = 0;
      } else if (language.size() > name.size() && language.substr(0, name.size()) == name &&
                 language[name.size()] == '-') {
        how = 1;
      } else if (name.size() > language.size() && name.substr(0, language.size()) == language &&
                 name[language.size()] == '-') {
        how = 2;
      } else {
        continue;
      }
      const Rank rank{how, how == 1 ? -static_cast<int>(name.size()) : 0, listed.priority};
      if (best == nullptr || rank < bestRank) {
        best = &voice;
        bestRank = rank;
      }
    }
  }
  return best != nullptr ? best->identifier : std::string();
}

const std::vector<VoiceInfo>& InstalledVoices() {
  static std::once_flag once;
  static std::vector<VoiceInfo> voices;
  std::call_once(once, [] {
    const espeak_VOICE** listed = espeak_ListVoices(nullptr);
    for (size_t i = 0; listed != nullptr && listed[i] != nullptr; ++i) {
      const espeak_VOICE& v = *listed[i];
      // MBROLA voices need a synthesiser that may not be there.
      if (v.identifier == nullptr || std::strncmp(v.identifier, "mb/", 3) == 0) continue;
      VoiceInfo info{v.identifier, {}};
      // Each language: its priority byte, its name, a NUL; a 0 byte ends them.
      for (const char* p = v.languages; p != nullptr && *p != 0;) {
        const std::string name = NormalLanguageName(p + 1);
        if (!name.empty()) info.languages.push_back({static_cast<unsigned char>(*p), name});
        p += std::strlen(p + 1) + 2;
      }
      voices.push_back(std::move(info));
    }
  });
  return voices;
}

}  // namespace upctv
