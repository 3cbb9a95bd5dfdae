// Turns a UTF-8 text as the reading core hands it over into the text
// eSpeak NG reads well.
#pragma once

#include <string>
#include <string_view>

namespace upctv {

// The text with every control character, and every byte that is no part of
// a well-formed UTF-8 character, made a space: nothing eSpeak NG would
// misread or trip on gets through.
std::string CleanUtf8(std::string_view text);

// Lower-cases every letter that has a small form, in every script, so that
// a word the core upper-cased in ASCII only («MéS», «ZAżółć») is read as a
// word and not broken at the change of case. `utf8` is clean.
std::string FoldCase(std::string_view utf8);

// Whether the bytes are well-formed UTF-8 throughout.
bool IsUtf8(std::string_view text);

// Windows-1252 to UTF-8, for files written in it; bytes the set leaves
// undefined, and control characters, become spaces.
std::string Cp1252ToUtf8(std::string_view text);

inline std::string PrepareForSpeech(std::string_view text) {
  return FoldCase(CleanUtf8(text));
}

}  // namespace upctv
