// A generated page body that looks like a real one: tables, scripts,
// comments, images, links with attributes, entities and sentences.
#pragma once

#include <random>
#include <string>

namespace sonavia::bench {

inline std::string RealisticBody(size_t size) {
  std::mt19937 rng(1);
  std::uniform_int_distribution<int> pick(0, 9);
  static const char* const kWords[] = {
      "la",      "informaci&oacute;", "p&agrave;gina", "web", "accessible",
      "dels",    "usuaris",           "amb",           "veu", "i",
      "lectura", "m&eacute;s"};
  auto sentence = [&] {
    std::string s;
    const int n = 6 + pick(rng);
    for (int i = 0; i < n; ++i) s += std::string(kWords[(pick(rng) + i) % 12]) + " ";
    s.back() = '.';
    return s + " ";
  };
  std::string body = "<body class=\"main\">\n";
  int k = 0;
  while (body.size() < size) {
    switch (pick(rng)) {
      case 0:
        body += "<table class=\"t\"><tr><td>" + sentence() + "</td><td>&nbsp;</td></tr></table>\n";
        break;
      case 1:
        body += "<script type=\"text/javascript\">var a = 1; if (a > 0) { f(\"x\"); }</script>\n";
        break;
      case 2:
        body += "<!-- bloc " + std::to_string(k) + " -->\n";
        break;
      case 3:
        body += "<p><img class=\"ic\" src=\"img/foto" + std::to_string(k) +
                ".jpg\" width=\"120\" height=\"80\" alt=\"Fotografia " + std::to_string(k) +
                "\"> " + sentence() + "</p>\n";
        break;
      case 4:
      case 5:
        body += "<p>" + sentence() + "<a class=\"l\" title=\"enlla&ccedil;\" href=\"seccio" +
                std::to_string(k) + ".htm\" target=\"_blank\">secci&oacute; " + std::to_string(k) +
                "</a>. " + sentence() + "<br>\n";
        break;
      default:
        body += "<p>" + sentence() + sentence() + "&quot;cita&quot; l&rsquo;autor.</p>\n";
        break;
    }
    ++k;
  }
  body += "</body>";
  return body;
}

}  // namespace sonavia::bench
