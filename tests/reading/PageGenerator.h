// Random pages from a token grammar that hits every rule of the page
// conversion: tags, anchors, images, quotes, marks in any letter case,
// entities, comments, sentence ends and line breaks.
#pragma once

#include <cstdint>
#include <random>
#include <string>

namespace sonavia::testing {

inline std::string GeneratePage(std::mt19937& rng, size_t maxTokens) {
  static const char* const kTokens[] = {
      "<IMG src=\"a.gif\" alt=\"Logo\">",
      "<img src=\"",
      "<IMG",
      "alt=\"d\"",
      "src",
      "ALT",
      "<a href=\"x.htm\">",
      "<A HREF=",
      "<a href",
      "</a>",
      "</A",
      "<A ",
      "<",
      ">",
      "\"",
      "\"\"",
      "<!--",
      "-->",
      "<!-->",
      "--",
      "<B>",
      "</B>",
      "<br>",
      "<BR>",
      ". ",
      ".",
      ". <BR>",
      ".<br>",
      "&nbsp;",
      "&NBSP;",
      "&NB",
      "SP;",
      "&eacute;",
      "&Eacute;",
      "&quot;",
      "&QUOT",
      "&rsquo;",
      "&ntilde;",
      "&amp;",
      "&",
      ";",
      " i ",
      " I ",
      "i",
      "(PUNT)",
      "(punt)",
      "(G)",
      "(g)",
      "(/G)",
      "(/g)",
      "(L)",
      "(l)",
      "(/L)",
      "(/l)",
      "(",
      ")",
      ",",
      "\r",
      "\n",
      "\r\n",
      " ",
      "word",
      "M\xE9S",
      "\xE0",
      "LINK",
      "x",
      "SRC=\"s\"",
      "=",
      "<IMG alt=\"<img\">",
      "href=\"<a href\"",
  };
  constexpr size_t kCount = sizeof(kTokens) / sizeof(kTokens[0]);
  std::uniform_int_distribution<size_t> pick(0, kCount - 1);
  std::uniform_int_distribution<size_t> length(0, maxTokens);
  std::bernoulli_distribution flip(0.2);
  std::string page;
  const size_t n = length(rng);
  for (size_t i = 0; i < n; ++i) {
    std::string token = kTokens[pick(rng)];
    for (char& c : token) {
      if (flip(rng) && c >= 'a' && c <= 'z')
        c = static_cast<char>(c - 'a' + 'A');
      else if (flip(rng) && c >= 'A' && c <= 'Z')
        c = static_cast<char>(c - 'A' + 'a');
    }
    page += token;
  }
  return page;
}

}  // namespace sonavia::testing
