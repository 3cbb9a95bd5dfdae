// Which addresses the program's own navigation follows when the user
// follows a link of a page (F2, Enter, "Al link"). The engine refuses a web
// page's click that would lead to a local file or to one of its own pages;
// the program, which navigates by itself, applies the same rule, and shows
// only what it can read aloud: web pages, and local files from local pages.
#pragma once

#include <string>
#include <string_view>

namespace sonavia::reading {

// The scheme of an absolute address, in small letters, without its colon
// ("http" for "HTTP://x"); empty when the address has none.
std::string AddressScheme(std::string_view address);

// Whether the program may follow, from the page at `pageAddress`, a link to
// `target`: "http" and "https" from any page, "file" only from a local one
// ("file" itself); nothing else (scripts, mail, data, the engine's own
// pages, view-source, an address without a scheme).
bool MayFollowLink(std::string_view pageAddress, std::string_view target);

}  // namespace sonavia::reading
