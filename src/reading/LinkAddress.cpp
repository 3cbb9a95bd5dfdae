#include "reading/LinkAddress.h"

namespace sonavia::reading {

namespace {

bool IsLetter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

}  // namespace

std::string AddressScheme(std::string_view address) {
  // A letter, then letters, digits, "+", "-" or ".", up to the first colon.
  if (address.empty() || !IsLetter(address.front())) return {};
  std::string scheme;
  for (const char c : address) {
    if (c == ':') return scheme;
    const bool allowed = IsLetter(c) || (c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.';
    if (!allowed) return {};
    scheme += static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  }
  return {};
}

bool MayFollowLink(std::string_view pageAddress, std::string_view target) {
  const std::string scheme = AddressScheme(target);
  if (scheme == "http" || scheme == "https") return true;
  return scheme == "file" && AddressScheme(pageAddress) == "file";
}

}  // namespace sonavia::reading
