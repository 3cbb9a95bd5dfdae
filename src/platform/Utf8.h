// UTF-8, the program's text: decoding one character at a time, and lengths
// counted in characters rather than bytes.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace sonavia::platform {

// Stands for a byte that begins no well-formed character.
inline constexpr char32_t kMalformed = 0xFFFFFFFF;

// The character that starts at `at` and its length in bytes. A byte that
// begins no well-formed character (a stray continuation byte, an overlong
// form, a surrogate, a cut sequence) is one malformed character of one byte.
struct Utf8Character {
  char32_t code;
  size_t length;
};
Utf8Character DecodeUtf8(std::string_view text, size_t at);

void AppendUtf8(std::string& out, char32_t code);

// Whether every character of `text` is well-formed.
bool IsUtf8(std::string_view text);

// How many bytes the first `characters` characters of `text` take: a cut
// there never splits one.
size_t Utf8PrefixLength(std::string_view text, size_t characters);

// How many characters `text` holds, a malformed byte counting as one.
size_t Utf8Length(std::string_view text);

}  // namespace sonavia::platform
