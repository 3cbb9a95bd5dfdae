#include "platform/Utf8.h"

namespace sonavia::platform {

Utf8Character DecodeUtf8(std::string_view text, size_t at) {
  const auto b = static_cast<unsigned char>(text[at]);
  if (b < 0x80) return {b, 1};
  size_t length;
  char32_t code;
  if ((b & 0xE0) == 0xC0) {
    length = 2;
    code = b & 0x1F;
  } else if ((b & 0xF0) == 0xE0) {
    length = 3;
    code = b & 0x0F;
  } else if ((b & 0xF8) == 0xF0) {
    length = 4;
    code = b & 0x07;
  } else {
    return {kMalformed, 1};
  }
  if (at + length > text.size()) return {kMalformed, 1};
  for (size_t k = 1; k < length; ++k) {
    const auto next = static_cast<unsigned char>(text[at + k]);
    if ((next & 0xC0) != 0x80) return {kMalformed, 1};
    code = (code << 6) | (next & 0x3F);
  }
  static constexpr char32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
  if (code < kSmallest[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
    return {kMalformed, 1};
  }
  return {code, length};
}

void AppendUtf8(std::string& out, char32_t code) {
  if (code < 0x80) {
    out.push_back(static_cast<char>(code));
  } else if (code < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (code >> 6)));
    out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
  } else if (code < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (code >> 12)));
    out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (code >> 18)));
    out.push_back(static_cast<char>(0x80 | ((code >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
  }
}

bool IsUtf8(std::string_view text) {
  for (size_t i = 0; i < text.size();) {
    const Utf8Character c = DecodeUtf8(text, i);
    if (c.code == kMalformed) return false;
    i += c.length;
  }
  return true;
}

size_t Utf8PrefixLength(std::string_view text, size_t characters) {
  size_t at = 0;
  for (size_t n = 0; n < characters && at < text.size(); ++n) at += DecodeUtf8(text, at).length;
  return at;
}

size_t Utf8Length(std::string_view text) {
  size_t count = 0;
  for (size_t at = 0; at < text.size(); at += DecodeUtf8(text, at).length) ++count;
  return count;
}

}  // namespace sonavia::platform
