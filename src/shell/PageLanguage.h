// The language a page is written in, for reading it in that language: what
// its document says, and for a document that says nothing, what its address
// says the way documentation is published in several languages.
#pragma once

#include <string>
#include <string_view>

namespace sonavia::shell {

// The language an address names: a file named for a language
// ("first.es.html", "index.html.ca"), or, for a local file, a folder named
// as one (".../html/es/ch01.html"). Empty when it names none.
std::string LanguageFromAddress(std::string_view address);

// The page's language: the document's own when it names one, else the one
// its address names.
std::string PageLanguage(std::string_view declared, std::string_view address);

}  // namespace sonavia::shell
