// libFuzzer target: the text preparation takes any bytes a page holds and
// must give valid UTF-8 with one character per byte, never a control
// character, and a folding that keeps the length and is settled after one
// pass.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "TextPrep.h"

namespace {

[[noreturn]] void Fail(const char* what) {
  std::fprintf(stderr, "text preparation: %s\n", what);
  std::abort();
}

// Counts the characters of a UTF-8 text, or returns -1 when it is not
// well formed or holds a control character.
long CountCharacters(std::string_view utf8) {
  long count = 0;
  for (size_t i = 0; i < utf8.size(); ++count) {
    const auto lead = static_cast<unsigned char>(utf8[i]);
    size_t length = 1;
    if (lead < 0x80) {
      if (lead < 0x20 || lead == 0x7F) return -1;
    } else if ((lead & 0xE0) == 0xC0) {
      length = 2;
    } else if ((lead & 0xF0) == 0xE0) {
      length = 3;
    } else {
      return -1;  // Windows-1252 has nothing beyond three bytes
    }
    if (i + length > utf8.size()) return -1;
    for (size_t k = 1; k < length; ++k) {
      if ((static_cast<unsigned char>(utf8[i + k]) & 0xC0) != 0x80) return -1;
    }
    i += length;
  }
  return count;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const std::string folded = upctv::FoldCase1252(text);
  if (folded.size() != text.size()) Fail("folding changed the length");
  if (upctv::FoldCase1252(folded) != folded) Fail("folding twice differs from once");
  const std::string utf8 = upctv::Cp1252ToUtf8(text);
  if (CountCharacters(utf8) != static_cast<long>(size)) Fail("not one character per byte");
  if (upctv::PrepareForSpeech(text) != upctv::Cp1252ToUtf8(folded)) Fail("not both in order");
  return 0;
}
