// Windows-1252 <-> UTF-8, for the edges where core text meets the outside.
#pragma once

#include <string>
#include <string_view>

namespace sonavia::platform {

// Every byte has a character: the five bytes Windows-1252 leaves undefined
// (0x81, 0x8D, 0x8F, 0x90, 0x9D) become the C1 controls of the same value.
std::string Cp1252ToUtf8(std::string_view text);

// Characters Windows-1252 cannot hold, and malformed UTF-8, become "?".
std::string Utf8ToCp1252(std::string_view text);

}  // namespace sonavia::platform
