// Which eSpeak NG voice reads a language named as a page names it: "en",
// "en-GB", "pt_BR". The choice itself is plain; the voices come from
// eSpeak NG's own list.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace upctv {

// A voice as eSpeak NG lists it: its identifier ("gmw/en-US") and the
// languages it speaks, each with its priority (lower is preferred).
struct VoiceInfo {
  std::string identifier;
  struct Language {
    int priority;
    std::string name;  // small letters, "-" between the parts
  };
  std::vector<Language> languages;
};

// The name in small letters with "-" between its parts ("pt_BR" gives
// "pt-br"), or empty when it is not a language name: two or three letters,
// then parts of one to eight letters or digits, at most 35 characters.
std::string NormalLanguageName(std::string_view name);

// The identifier of the voice that speaks `language` (a normal name) best:
// one listed for the name itself; else for the most particular language it
// belongs to ("en" for "en-au"); else for a variety of it ("pt-pt" for
// "pt"). Lower priorities first, then the list's order. Empty when no voice
// speaks it.
std::string ChooseVoice(const std::vector<VoiceInfo>& voices, std::string_view language);

// The voices eSpeak NG has, as it lists them; read once. eSpeak NG must be
// initialised, and only its own thread may call this.
const std::vector<VoiceInfo>& InstalledVoices();

}  // namespace upctv
