// A document the engine does not show (a PDF) made a page that the reading
// takes like any other: its title, then each page of it under a heading of
// its own, its paragraphs as the document separates them.
#pragma once

#include <string>
#include <vector>

namespace sonavia::shell {

inline constexpr const char* kDocumentWithoutText =
    "Aquest document no té text per llegir; potser és una imatge escanejada.";
// The most text of a document made a page: more than the reading can hold.
inline constexpr size_t kLongestDocumentText = 1000000;

// The page for a document titled `title` whose pages hold `pages` (UTF-8,
// lines ended by "\n" or "\r\n", paragraphs by an empty line).
std::string DocumentPageHtml(const std::string& title, const std::vector<std::string>& pages);

}  // namespace sonavia::shell
