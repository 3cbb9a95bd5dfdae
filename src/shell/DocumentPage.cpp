#include "shell/DocumentPage.h"

namespace sonavia::shell {

namespace {

void AppendEscaped(std::string& html, const std::string& text) {
  for (const char c : text) {
    switch (c) {
      case '<':
        html += "&lt;";
        break;
      case '>':
        html += "&gt;";
        break;
      case '&':
        html += "&amp;";
        break;
      case '"':
        html += "&quot;";
        break;
      case '\0':
        break;
      default:
        html += c;
    }
  }
}

bool Blank(const std::string& line) {
  return line.find_first_not_of(" \t\r\f\v") == std::string::npos;
}

}  // namespace

std::string DocumentPageHtml(const std::string& title, const std::vector<std::string>& pages) {
  std::string html = "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>";
  AppendEscaped(html, title);
  html += "</title></head><body>";
  size_t text = 0;
  bool anyText = false;
  for (size_t i = 0; i < pages.size() && text < kLongestDocumentText; ++i) {
    std::string body;
    std::string paragraph;
    // An empty line after the last ends its paragraph.
    const std::string page = pages[i] + "\n\n";
    size_t start = 0;
    while (start < page.size()) {
      const size_t end = page.find('\n', start);
      std::string line = page.substr(start, end - start);
      start = end + 1;
      if (!Blank(line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!paragraph.empty()) paragraph += ' ';
        paragraph += line;
        continue;
      }
      if (paragraph.empty()) continue;
      body += "<p>";
      AppendEscaped(body, paragraph);
      body += "</p>";
      text += paragraph.size();
      paragraph.clear();
    }
    if (body.empty()) continue;
    anyText = true;
    // A document of one page needs no heading for it.
    if (pages.size() > 1) html += "<h2>Pàgina " + std::to_string(i + 1) + "</h2>";
    html += body;
  }
  if (!anyText) html += std::string("<p>") + kDocumentWithoutText + "</p>";
  html += "</body></html>";
  return html;
}

}  // namespace sonavia::shell
