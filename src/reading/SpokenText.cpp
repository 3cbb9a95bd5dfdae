#include "reading/SpokenText.h"

#include <array>
#include <cstdint>

#include "platform/Cp1252.h"

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
// pages use most for punctuation that Windows-1252 holds.
constexpr std::array<Entity, 23> kEntities = {{
    {"AMP", "&"},      {"LT", "<"},       {"GT", ">"},        {"QUOT", "\""},     {"APOS", "'"},
    {"NBSP", " "},     {"SHY", ""},       {"LSQUO", "\x91"},  {"RSQUO", "\x92"},  {"LDQUO", "\x93"},
    {"RDQUO", "\x94"}, {"NDASH", "\x96"}, {"MDASH", "\x97"},  {"HELLIP", "\x85"}, {"BULL", "\x95"},
    {"EURO", "\x80"},  {"TRADE", "\x99"}, {"COPY", "\xA9"},   {"REG", "\xAE"},    {"DEG", "\xB0"},
    {"LAQUO", "\xAB"}, {"RAQUO", "\xBB"}, {"MIDDOT", "\xB7"},
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

// A character given by its number, as Windows-1252 holds it; a space for
// one it cannot hold.
std::string FromCodePoint(uint32_t code) {
  if (code < 0x20 || code == 0x7F || (code >= 0x80 && code < 0xA0) || code > 0x10FFFF ||
      (code >= 0xD800 && code < 0xE000)) {
    return " ";
  }
  std::string utf8;
  if (code < 0x80) {
    utf8.push_back(static_cast<char>(code));
  } else if (code < 0x800) {
    utf8.push_back(static_cast<char>(0xC0 | (code >> 6)));
    utf8.push_back(static_cast<char>(0x80 | (code & 0x3F)));
  } else if (code < 0x10000) {
    utf8.push_back(static_cast<char>(0xE0 | (code >> 12)));
    utf8.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
    utf8.push_back(static_cast<char>(0x80 | (code & 0x3F)));
  } else {
    utf8.push_back(static_cast<char>(0xF0 | (code >> 18)));
    utf8.push_back(static_cast<char>(0x80 | ((code >> 12) & 0x3F)));
    utf8.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
    utf8.push_back(static_cast<char>(0x80 | (code & 0x3F)));
  }
  const std::string cp1252 = platform::Utf8ToCp1252(utf8);
  return cp1252 == "?" && code != '?' ? " " : cp1252;
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

bool IsLetterOrDigit(unsigned char c) {
  if ((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')) return true;
  if (c >= 0xC0) return c != 0xD7 && c != 0xF7;
  switch (c) {
    case 0x83:
    case 0x8A:
    case 0x8C:
    case 0x8E:
    case 0x9A:
    case 0x9C:
    case 0x9E:
    case 0x9F:
    case 0xAA:
    case 0xB2:
    case 0xB3:
    case 0xB5:
    case 0xB9:
    case 0xBA:
    case 0xBC:
    case 0xBD:
    case 0xBE:
      return true;
    default:
      return false;
  }
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
  for (const char c : spoken) {
    if (IsLetterOrDigit(static_cast<unsigned char>(c))) return true;
  }
  return false;
}

}  // namespace sonavia::reading
