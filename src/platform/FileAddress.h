// The one way a file's path becomes an address: opened and dropped files,
// the start page and a file named on the command line all go through it.
#pragma once

#include <string>
#include <string_view>

#include "platform/Utf8.h"

namespace sonavia::platform {

// "file://" and `absolutePath`, with what an address would read otherwise
// percent-encoded: "%" (an escape), "#" (a fragment), "?" (a query), "\"
// (a separator to the engine), control characters (dropped by address
// parsing), a blank at the very end (trimmed from a typed address) and a
// byte that is no UTF-8 (a name in Latin-1 from another system, which the
// engine then opens byte for byte). Other blanks and letters beyond ASCII
// stay as they are: the engine takes them, and the address box shows them
// as the user named them.
inline std::string FileAddress(std::string_view absolutePath) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string address = "file://";
  address.reserve(address.size() + absolutePath.size());
  for (size_t i = 0; i < absolutePath.size();) {
    const Utf8Character character = DecodeUtf8(absolutePath, i);
    const auto c = static_cast<unsigned char>(absolutePath[i]);
    const bool trailingBlank = c == ' ' && i + 1 == absolutePath.size();
    if (c == '%' || c == '#' || c == '?' || c == '\\' || c < 0x20 || c == 0x7F || trailingBlank ||
        character.code == kMalformed) {
      address += '%';
      address += kHex[c >> 4];
      address += kHex[c & 0x0F];
    } else {
      address.append(absolutePath.substr(i, character.length));
    }
    i += character.length;
  }
  return address;
}

}  // namespace sonavia::platform
