#include "shell/PageLanguage.h"

#include <algorithm>
#include <array>
#include <vector>

namespace sonavia::shell {

namespace {

// The two-letter language codes (ISO 639-1), in order.
constexpr std::string_view kCodes =
    "aa ab ae af ak am an ar as av ay az ba be bg bh bi bm bn bo br bs ca ce ch co cr cs cu cv "
    "cy da de dv dz ee el en eo es et eu fa ff fi fj fo fr fy ga gd gl gn gu gv ha he hi ho hr "
    "ht hu hy hz ia id ie ig ii ik io is it iu ja jv ka kg ki kj kk kl km kn ko kr ks ku kv kw "
    "ky la lb lg li ln lo lt lu lv mg mh mi mk ml mn mr ms mt my na nb nd ne ng nl nn no nr nv "
    "ny oc oj om or os pa pi pl ps pt qu rm rn ro ru rw sa sc sd se sg si sk sl sm sn so sq sr "
    "ss st su sv sw ta te tg th ti tk tl tn to tr ts tt tw ty ug uk ur uz ve vi vo wa wo xh yi "
    "yo za zh zu";

bool IsLetter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

char Lower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// A language code as addresses carry it: "es", "pt_BR", "pt-br". Empty
// when `part` is none.
std::string LanguageCode(std::string_view part) {
  if (part.size() != 2 && part.size() != 5) return {};
  if (!IsLetter(part[0]) || !IsLetter(part[1])) return {};
  const std::string code{Lower(part[0]), Lower(part[1])};
  const size_t at = kCodes.find(code);
  if (at == std::string_view::npos || at % 3 != 0) return {};
  if (part.size() == 2) return code;
  if ((part[2] != '_' && part[2] != '-') || !IsLetter(part[3]) || !IsLetter(part[4])) return {};
  return code + "-" + std::string{Lower(part[3]), Lower(part[4])};
}

bool IsPageExtension(std::string_view extension) {
  std::string lower;
  for (const char c : extension) lower.push_back(Lower(c));
  constexpr std::array<std::string_view, 5> kPages = {"html", "htm", "xhtml", "shtml", "php"};
  return std::find(kPages.begin(), kPages.end(), lower) != kPages.end();
}

std::vector<std::string_view> Split(std::string_view text, char separator) {
  std::vector<std::string_view> parts;
  size_t start = 0;
  for (;;) {
    const size_t end = text.find(separator, start);
    parts.push_back(text.substr(start, end == std::string_view::npos ? end : end - start));
    if (end == std::string_view::npos) return parts;
    start = end + 1;
  }
}

}  // namespace

std::string LanguageFromAddress(std::string_view address) {
  const std::string_view path = address.substr(0, address.find_first_of("?#"));
  const bool local = path.size() >= 5 && Lower(path[0]) == 'f' && Lower(path[1]) == 'i' &&
                     Lower(path[2]) == 'l' && Lower(path[3]) == 'e' && path[4] == ':';
  const std::vector<std::string_view> folders = Split(path, '/');
  const std::string_view file = folders.back();
  const std::vector<std::string_view> parts = Split(file, '.');
  const size_t n = parts.size();
  if (n >= 3) {
    // "first.es.html", then "index.html.es".
    if (IsPageExtension(parts[n - 1])) {
      if (std::string code = LanguageCode(parts[n - 2]); !code.empty()) return code;
    }
    if (IsPageExtension(parts[n - 2])) {
      if (std::string code = LanguageCode(parts[n - 1]); !code.empty()) return code;
    }
  }
  // A site's folders are named for much else ("my", "it"); a local
  // documentation folder named for a language is its translation.
  if (local && folders.size() >= 2) return LanguageCode(folders[folders.size() - 2]);
  return {};
}

std::string PageLanguage(std::string_view declared, std::string_view address) {
  // Blanks around the name are the page's, and mean nothing.
  const size_t first = declared.find_first_not_of(" \t\r\n");
  if (first != std::string_view::npos) {
    const size_t last = declared.find_last_not_of(" \t\r\n");
    return std::string(declared.substr(first, last - first + 1));
  }
  return LanguageFromAddress(address);
}

}  // namespace sonavia::shell
