#include "reading/SpokenText.h"

#include <locale.h>
#include <wctype.h>

#include <array>
#include <cstdint>

#include "platform/Utf8.h"

namespace sonavia::reading {

namespace {

struct Mark {
  std::string_view mark;
  std::string_view spoken;
};
// "(PUNT)" first: no other mark begins with "(P".
constexpr std::array<Mark, 5> kMarks = {{
    {"(PUNT)", ". "},
    {"(G)", ", "},
    {"(/G)", ", "},
    {"(L)", ", "},
    {"(/L)", ", "},
}};

struct Entity {
  std::string_view name;  // in capitals, as the conversion leaves page text
  std::string_view spoken;
};
// What the page view writes for the page's own characters, and the names
// pages use most for punctuation.
constexpr std::array<Entity, 23> kEntities = {{
    {"AMP", "&"},   {"LT", "<"},    {"GT", ">"},     {"QUOT", "\""},  {"APOS", "'"},
    {"NBSP", " "},  {"SHY", ""},    {"LSQUO", "‘"},  {"RSQUO", "’"},  {"LDQUO", "“"},
    {"RDQUO", "”"}, {"NDASH", "–"}, {"MDASH", "—"},  {"HELLIP", "…"}, {"BULL", "•"},
    {"EURO", "€"},  {"TRADE", "™"}, {"COPY", "©"},   {"REG", "®"},    {"DEG", "°"},
    {"LAQUO", "«"}, {"RAQUO", "»"}, {"MIDDOT", "·"},
}};

// The longest name between "&" and ";" that can be an entity's.
constexpr size_t kLongestName = 8;

bool SameLetters(std::string_view name, std::string_view capitals) {
  if (name.size() != capitals.size()) return false;
  for (size_t i = 0; i < name.size(); ++i) {
    char c = name[i];
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    if (c != capitals[i]) return false;
  }
  return true;
}

// A character given by its number; a space for one that is no character
// to hear (a control, a surrogate, beyond Unicode).
std::string FromCodePoint(uint32_t code) {
  if (code < 0x20 || code == 0x7F || (code >= 0x80 && code < 0xA0) || code > 0x10FFFF ||
      (code >= 0xD800 && code < 0xE000)) {
    return " ";
  }
  std::string utf8;
  platform::AppendUtf8(utf8, code);
  return utf8;
}

// "#" and a decimal number, or "#X" and a hexadecimal one.
bool NumericEntity(std::string_view name, std::string& spoken) {
  if (name.size() < 2 || name[0] != '#') return false;
  const bool hex = name[1] == 'x' || name[1] == 'X';
  const std::string_view digits = name.substr(hex ? 2 : 1);
  if (digits.empty()) return false;
  uint32_t code = 0;
  for (const char c : digits) {
    uint32_t d;
    if (c >= '0' && c <= '9') {
      d = static_cast<uint32_t>(c - '0');
    } else if (hex && c >= 'a' && c <= 'f') {
      d = static_cast<uint32_t>(c - 'a' + 10);
    } else if (hex && c >= 'A' && c <= 'F') {
      d = static_cast<uint32_t>(c - 'A' + 10);
    } else {
      return false;
    }
    code = code * (hex ? 16 : 10) + d;
  }
  spoken = FromCodePoint(code);
  return true;
}

// The spoken form of the entity at `amp`, and its length; 0 when none is.
size_t EntityAt(std::string_view text, size_t amp, std::string& spoken) {
  // Looked for only as far as a name can reach: a long text full of "&"
  // stays linear.
  const size_t near = text.substr(amp + 1, kLongestName + 1).find(';');
  if (near == std::string_view::npos) return 0;
  const size_t semicolon = amp + 1 + near;
  const std::string_view name = text.substr(amp + 1, semicolon - amp - 1);
  if (NumericEntity(name, spoken)) return semicolon - amp + 1;
  for (const Entity& e : kEntities) {
    if (SameLetters(name, e.name)) {
      spoken = e.spoken;
      return semicolon - amp + 1;
    }
  }
  return 0;
}

// Whether eSpeak NG says something for the character: a letter or a digit
// of any script, or a symbol it names (currency, arrows, emoji and the
// like); punctuation, blanks and marks only part words or set the tone.
bool SaysSomething(char32_t c) {
  if (c < 0x80) return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
  if (c == platform::kMalformed) return false;
  static const locale_t unicode = newlocale(LC_CTYPE_MASK, "C.UTF-8", nullptr);
  if (unicode != nullptr && iswalnum_l(static_cast<wint_t>(c), unicode)) return true;
  // Symbols with a name, and numbers that are no digits: superscripts,
  // fractions, currency, letterlike and number forms, arrows, mathematical
  // and technical signs, pictographs and emoji.
  return c == 0xA9 || c == 0xAE || c == 0xB0 || c == 0xB2 || c == 0xB3 || c == 0xB9 ||
         (c >= 0xBC && c <= 0xBE) || (c >= 0x2070 && c <= 0x209F) || (c >= 0x20A0 && c <= 0x218F) ||
         (c >= 0x2190 && c <= 0x23FF) || (c >= 0x2460 && c <= 0x24FF) ||
         (c >= 0x2600 && c <= 0x27BF) || (c >= 0x1F300 && c <= 0x1FAFF);
}

}  // namespace

std::string SpokenText(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  std::string entity;
  size_t i = 0;
  while (i < text.size()) {
    const char c = text[i];
    if (c == '(') {
      const Mark* found = nullptr;
      for (const Mark& m : kMarks) {
        if (text.compare(i, m.mark.size(), m.mark) == 0) {
          found = &m;
          break;
        }
      }
      if (found != nullptr) {
        out += found->spoken;
        i += found->mark.size();
        continue;
      }
    } else if (c == '&') {
      if (const size_t length = EntityAt(text, i, entity); length > 0) {
        out += entity;
        i += length;
        continue;
      }
    }
    out.push_back(c);
    ++i;
  }
  return out;
}

bool Speakable(std::string_view text) {
  // Entity names and marks are letters that are never heard.
  const std::string spoken =
      text.find_first_of("&(") == std::string_view::npos ? std::string(text) : SpokenText(text);
  for (size_t i = 0; i < spoken.size();) {
    const platform::Utf8Character c = platform::DecodeUtf8(spoken, i);
    if (SaysSomething(c.code)) return true;
    i += c.length;
  }
  return false;
}

}  // namespace sonavia::reading
