// The keys the program presses, sends and watches for, as Windows
// virtual-key codes: the code the behaviour and its seams speak in.
#pragma once

namespace sonavia::platform {

inline constexpr int kTabKey = 0x09;
inline constexpr int kReturnKey = 0x0D;
inline constexpr int kEscapeKey = 0x1B;
inline constexpr int kPageUpKey = 0x21;
inline constexpr int kPageDownKey = 0x22;
inline constexpr int kUpKey = 0x26;
inline constexpr int kDownKey = 0x28;
inline constexpr int kF6Key = 0x75;

}  // namespace sonavia::platform
