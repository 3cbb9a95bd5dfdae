#include "reading/LiteralConverter.h"

#include <algorithm>

#include "reading/TextPrimitives.h"

namespace sonavia::literal {

using reading::CopyPart;
using reading::DeleteAt;
using reading::InsertAt;
using reading::Pos;

std::string ReplaceAll(std::string text, const std::string& pattern,
                       const std::string& replacement) {
  for (;;) {
    const long p = Pos(pattern, text);
    if (p == 0) return text;
    DeleteAt(text, p, static_cast<long>(pattern.size()));
    InsertAt(replacement, text, p);
  }
}

std::string ReplaceEntities(std::string text) {
  static const std::pair<const char*, const char*> kTable[] = {
      {"&aacute;", "\xE1"}, {"&agrave;", "\xE0"}, {"&Aacute;", "\xC1"}, {"&Agrave;", "\xC0"},
      {"&eacute;", "\xE9"}, {"&egrave;", "\xE8"}, {"&Eacute;", "\xC9"}, {"&Egrave;", "\xC8"},
      {"&iacute;", "\xED"}, {"&igrave;", "\xEC"}, {"&Iacute;", "\xCD"}, {"&Igrave;", "\xCC"},
      {"&oacute;", "\xF3"}, {"&ograve;", "\xF2"}, {"&Oacute;", "\xD3"}, {"&Ograve;", "\xD2"},
      {"&uacute;", "\xFA"}, {"&ugrave;", "\xF9"}, {"&Uacute;", "\xDA"}, {"&Ugrave;", "\xD9"},
      {"&ccedil;", "\xE7"}, {"&Ccedil;", "\xC7"}, {"&auml;", "\xE4"},   {"&Auml;", "\xC4"},
      {"&euml;", "\xEB"},   {"&Euml;", "\xCB"},   {"&iuml;", "\xEF"},   {"&Iuml;", "\xCF"},
      {"&ouml;", "\xF6"},   {"&Ouml;", "\xD6"},   {"&uuml;", "\xFC"},   {"&Uuml;", "\xDC"},
      {"&ntilde;", "\xF1"}, {"&Ntilde;", "\xD1"},
  };
  for (const auto& [entity, ch] : kTable) text = ReplaceAll(text, entity, ch);
  return text;
}

namespace {

std::string QuotedAfter(const std::string& tag, const std::string& name) {
  const long k = Pos(name, tag);
  if (k == 0) return {};
  const std::string rest = CopyPart(tag, k, static_cast<long>(tag.size()));
  const long q1 = Pos("\"", rest);
  if (q1 == 0) return {};
  const long q2 = Pos("\"", rest, q1 + 1);
  if (q2 == 0) return {};
  return CopyPart(rest, q1 + 1, q2 - q1 - 1);
}

}  // namespace

std::string MarkImages(std::string text) {
  for (;;) {
    const long c1 = Pos("<!--", text);
    const long c2 = Pos("-->", text);
    if (c1 > 0 && c2 > 0 && c2 > c1) {
      DeleteAt(text, c1, c2 - c1 + 3);
    } else {
      break;
    }
  }
  long from = 1;
  for (;;) {
    const long p = Pos("<IMG", text, from);
    if (p == 0) return text;
    const std::string r = CopyPart(text, p, static_cast<long>(text.size()));
    long g = Pos(">", r);
    if (g == 0) g = static_cast<long>(r.size());  // the tag runs to the end
    const std::string tag = CopyPart(r, 1, g);
    const std::string mark =
        "(G)" + QuotedAfter(tag, "SRC") + "," + QuotedAfter(tag, "ALT") + "(/G)";
    DeleteAt(text, p, g);
    InsertAt(mark, text, p);
    from = p + static_cast<long>(mark.size());  // never re-read a mark
  }
}

std::string MarkLinks(std::string text) {
  long from = 1;
  for (;;) {
    const long p = Pos("<A HREF", text, from);
    if (p == 0) return text;
    const std::string r = CopyPart(text, p, static_cast<long>(text.size()));
    const long g = Pos(">", r);
    const std::string tag = CopyPart(r, 1, g);
    std::string address;
    const long q1 = Pos("\"", tag);
    if (q1 > 0) {
      const long q2 = Pos("\"", tag, q1 + 1);
      if (q2 > 0) {
        address = CopyPart(tag, q1 + 1, std::min<long>(q2 - q1 - 1, reading::kMaxAddressLength));
      }
    }
    const long e = Pos("</A>", r);
    const std::string linkText = e > 0 ? CopyPart(r, g + 1, e - g - 1) : std::string();
    const std::string mark = "(L)" + address + "," + linkText + "(/L)";
    DeleteAt(text, p, e + 3);
    InsertAt(mark, text, p);
    from = p + static_cast<long>(mark.size());  // never re-read a mark
  }
}

std::string MarkSentences(std::string text) {
  text = ReplaceAll(text, ". ", "(PUNT)");
  return ReplaceAll(text, ".<BR>", "(PUNT)");
}

std::string CleanUpText(std::string text) {
  text = ReplaceAll(text, "\r", "");
  text = ReplaceAll(text, "\n", "");
  text = ReplaceAll(text, " I ", " HI ");
  text = ReplaceAll(text, "&RSQUO", "'");
  text = ReplaceAll(text, "&QUOT", "\"");
  text = ReplaceAll(text, "&NBSP;", "");
  for (;;) {
    const long a = Pos("<", text);
    const long b = Pos(">", text);
    if (a > 0 && b > 0 && b > a) {
      DeleteAt(text, a, b - a + 1);
    } else {
      return text;
    }
  }
}

namespace {

void Split(const std::string& content, std::string& before, std::string& after) {
  const long comma = Pos(",", content);
  if (comma == 0) {
    before.clear();
    after = content;
  } else {
    before = CopyPart(content, 1, comma - 1);
    after = CopyPart(content, comma + 1, static_cast<long>(content.size()));
  }
}

void Add(reading::ReadingList& list, const std::string& text, reading::UnitKind kind) {
  list.UnitCursor += 1;
  list.Units[list.UnitCursor] = reading::ReadingUnit{text, kind};
}

// Returns true at the length limit.
bool Segment(reading::ReadingList& list) {
  std::string& m = list.MarkedText;
  for (;;) {
    const long len = static_cast<long>(m.size());
    long p = Pos("(PUNT)", m), g = Pos("(G)", m), l = Pos("(L)", m);
    if (p == 0 && g == 0 && l == 0) return false;
    if (p == 0) p = len + 1;
    if (g == 0) g = len + 1;
    if (l == 0) l = len + 1;
    if (p < g && p < l) {
      Add(list, CopyPart(m, 1, p - 1), reading::UnitKind::Text);
      DeleteAt(m, 1, p + 5);
    } else if (g < l) {
      if (g == 1) {
        DeleteAt(m, 1, 3);
      } else {
        Add(list, CopyPart(m, 1, g - 1), reading::UnitKind::Text);
        DeleteAt(m, 1, g + 2);
      }
      const long e = Pos("(/G)", m);
      std::string source, description;
      Split(CopyPart(m, 1, e - 1), source, description);
      Add(list, "Imatge ", reading::UnitKind::Item);
      Add(list, description.empty() ? source : description + " ", reading::UnitKind::Item);
      DeleteAt(m, 1, e + 3);
    } else {
      if (l == 1) {
        DeleteAt(m, 1, 3);
      } else {
        Add(list, CopyPart(m, 1, l - 1), reading::UnitKind::Text);
        DeleteAt(m, 1, l + 2);
      }
      const long e = Pos("(/L)", m);
      std::string address, linkText;
      Split(CopyPart(m, 1, e - 1), address, linkText);
      const long i = Pos("(G)", linkText);
      if (i > 0) {
        const long j = Pos("(/G)", linkText);
        std::string source, description;
        Split(CopyPart(linkText, i + 3, j - i - 3), source, description);
        DeleteAt(linkText, i, j - i + 4);
        InsertAt("Imatge " + (description.empty() ? source : description) + " ", linkText, i);
      }
      Add(list, "LINK", reading::UnitKind::Item);
      Add(list, linkText.empty() ? address : linkText, reading::UnitKind::Item);
      list.LinkCursor += 1;
      auto& entry = list.Links[list.LinkCursor];
      entry.Address = address;
      entry.Text = linkText.empty() ? address : linkText;
      entry.UnitIndex = list.UnitCursor;
      DeleteAt(m, 1, e + 3);
    }
    if (list.UnitCursor > reading::ConversionLimit) return true;
  }
}

}  // namespace

void ConvertPage(reading::ReadingList& list, const std::string& html,
                 reading::ConversionLimitWarning* warning) {
  list.WorkingText.clear();
  list.MarkedText.clear();
  list.UnitCursor = 0;
  list.UnitCount = 0;
  for (auto& unit : list.Units) unit = reading::ReadingUnit{};
  list.LinkCursor = 0;
  list.LinkCount = 0;
  for (auto& link : list.Links) {
    link.Address.clear();
    link.Text.clear();
  }
  list.WorkingText = html;
  list.WorkingText = ReplaceEntities(list.WorkingText);
  for (char& c : list.WorkingText) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  list.WorkingText = MarkImages(list.WorkingText);
  list.WorkingText = MarkLinks(list.WorkingText);
  list.WorkingText = MarkSentences(list.WorkingText);
  list.WorkingText = CleanUpText(list.WorkingText);
  list.MarkedText = list.WorkingText + " (PUNT)";
  list.Units[1] = reading::ReadingUnit{"T\xEDtol", reading::UnitKind::Text};
  list.Units[2] = reading::ReadingUnit{list.PageTitle, reading::UnitKind::Item};
  list.UnitCursor = 2;
  list.LinkCursor = 0;
  const bool limit = Segment(list);
  list.UnitCount = list.UnitCursor;
  list.LinkCount = list.LinkCursor;
  list.UnitCursor = 0;
  list.LinkCursor = 0;
  if (limit && warning != nullptr) {
    warning->UseItemVoice();
    warning->SpeakUnit("Document massa llarg, no el podr\xE9 llegir tot");
  }
}

}  // namespace sonavia::literal
