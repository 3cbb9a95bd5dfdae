#include "reading/PageConverter.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "platform/UnitTools.h"
#include "platform/Utf8.h"
#include "reading/TextPrimitives.h"

namespace sonavia::reading {

namespace {

constexpr size_t npos = std::string_view::npos;

// First occurrence of a pattern at or after a position, for positions that
// only grow: a result still ahead of the new position is reused, so a whole
// pass scans the text once.
class ForwardFinder {
 public:
  ForwardFinder(std::string_view text, std::string_view pattern) : text_(text), pattern_(pattern) {}

  size_t Find(size_t from) {
    if (!(from >= from_ && from <= result_)) {
      from_ = from;
      result_ = platform::FindText(text_, pattern_, from);
    } else {
      from_ = from;
    }
    return result_;
  }

 private:
  std::string_view text_;
  std::string_view pattern_;
  size_t from_ = std::numeric_limits<size_t>::max();
  size_t result_ = 0;
};

struct Entity {
  std::string_view name;
  std::string_view character;  // UTF-8
};

constexpr Entity kEntities[] = {
    {"&aacute;", "á"}, {"&agrave;", "à"}, {"&Aacute;", "Á"}, {"&Agrave;", "À"}, {"&eacute;", "é"},
    {"&egrave;", "è"}, {"&Eacute;", "É"}, {"&Egrave;", "È"}, {"&iacute;", "í"}, {"&igrave;", "ì"},
    {"&Iacute;", "Í"}, {"&Igrave;", "Ì"}, {"&oacute;", "ó"}, {"&ograve;", "ò"}, {"&Oacute;", "Ó"},
    {"&Ograve;", "Ò"}, {"&uacute;", "ú"}, {"&ugrave;", "ù"}, {"&Uacute;", "Ú"}, {"&Ugrave;", "Ù"},
    {"&ccedil;", "ç"}, {"&Ccedil;", "Ç"}, {"&auml;", "ä"},   {"&Auml;", "Ä"},   {"&euml;", "ë"},
    {"&Euml;", "Ë"},   {"&iuml;", "ï"},   {"&Iuml;", "Ï"},   {"&ouml;", "ö"},   {"&Ouml;", "Ö"},
    {"&uuml;", "ü"},   {"&Uuml;", "Ü"},   {"&ntilde;", "ñ"}, {"&Ntilde;", "Ñ"},
};

// Removes "<!--" ... "-->" spans while the first "<!--" comes before the
// first "-->". The text is kept in place as out = t[0, w) and the rest =
// t[r, n); after a removal the last three characters of `out` go back in
// front of the rest, since a new "<!--" or "-->" can only form there.
std::string RemoveComments(std::string t) {
  char* b = t.data();
  const size_t n = t.size();
  size_t w = 0;
  size_t r = 0;
  for (;;) {
    const size_t c1 = platform::FindText(t, "<!--", r);
    if (c1 == npos) break;
    const size_t c2 = platform::FindText(t, "-->", r);
    if (c2 == npos || c2 < c1) break;
    std::memmove(b + w, b + r, c1 - r);
    w += c1 - r;
    r = c2 + 3;
    const size_t k = std::min<size_t>(3, w);
    w -= k;
    r -= k;
    std::memmove(b + r, b + w, k);
  }
  if (w == r) return t;  // nothing removed: no need to move the text
  std::memmove(b + w, b + r, n - r);
  t.resize(w + (n - r));
  return t;
}

// The value between the first two double quotes after the first `name` in
// the tag, or empty.
std::string_view QuotedAfter(std::string_view tag, std::string_view name) {
  const size_t k = tag.find(name);
  if (k == npos) return {};
  const size_t q1 = tag.find('"', k);
  if (q1 == npos) return {};
  const size_t q2 = tag.find('"', q1 + 1);
  if (q2 == npos) return {};
  return tag.substr(q1 + 1, q2 - q1 - 1);
}

std::pair<std::string_view, std::string_view> SplitAtComma(std::string_view content) {
  const size_t comma = content.find(',');
  if (comma == npos) return {std::string_view{}, content};
  return {content.substr(0, comma), content.substr(comma + 1)};
}

// Single left-to-right tag removal: "<" ... ">" spans go while the first
// "<" comes before the first ">". Neither character can be formed by a
// removal, so nothing is rescanned; the text is compacted in place.
std::string RemoveTags(std::string t) {
  char* b = t.data();
  const size_t n = t.size();
  size_t w = 0;
  size_t i = 0;
  for (;;) {
    const size_t lt = t.find('<', i);
    if (lt == npos) break;
    const size_t gt = t.find('>', i);
    if (gt == npos || gt < lt) break;
    if (w != i) std::memmove(b + w, b + i, lt - i);
    w += lt - i;
    i = gt + 1;
  }
  if (w == i) return t;  // nothing removed
  std::memmove(b + w, b + i, n - i);
  t.resize(w + (n - i));
  return t;
}

}  // namespace

std::string ReplaceEntities(std::string_view t) {
  // Entity occurrences never overlap and a replacement cannot form another,
  // so one pass gives the same text as the table's passes in order.
  std::string out;
  out.reserve(t.size());
  size_t i = 0;
  for (;;) {
    const size_t amp = t.find('&', i);
    if (amp == npos) break;
    out.append(t.substr(i, amp - i));
    const Entity* hit = nullptr;
    const char first = amp + 1 < t.size() ? t[amp + 1] : '\0';
    for (const auto& e : kEntities) {
      // The letter after "&" rules out nearly every name at once.
      if (e.name[1] == first && t.compare(amp, e.name.size(), e.name) == 0) {
        hit = &e;
        break;
      }
    }
    if (hit != nullptr) {
      out.append(hit->character);
      i = amp + hit->name.size();
    } else {
      out.push_back('&');
      i = amp + 1;
    }
  }
  out.append(t.substr(i));
  return out;
}

void UpperCaseAscii(std::string& text) {
  // Without a branch, so that the compiler works on many bytes at once.
  for (char& c : text) {
    const auto u = static_cast<unsigned char>(c);
    c = static_cast<char>(u - ((static_cast<unsigned char>(u - 'a') < 26) << 5));
  }
}

std::string MarkImages(std::string input) {
  const std::string text = RemoveComments(std::move(input));
  const std::string_view t = text;
  std::string out;
  out.reserve(t.size());
  size_t i = 0;
  for (;;) {
    const size_t p = platform::FindText(t, "<IMG", i);
    if (p == npos) break;
    out.append(t.substr(i, p - i));
    // A tag with no ">" after it runs to the end of the text.
    const size_t gt = t.find('>', p);
    const size_t end = gt == npos ? t.size() : gt + 1;
    const std::string_view tag = t.substr(p, end - p);
    out += "(G)";
    out += QuotedAfter(tag, "SRC");
    out += ',';
    out += QuotedAfter(tag, "ALT");
    out += "(/G)";
    // Resume after the mark: a description holding "<IMG" is not re-read.
    i = end;
  }
  out.append(t.substr(i));
  return out;
}

namespace {

// Walks the anchors of `t`, handing each piece of the marked text to `put`
// in order.
template <typename Put>
void WalkLinks(std::string_view t, Put put) {
  ForwardFinder close(t, "</A>");
  ForwardFinder greater(t, ">");
  ForwardFinder quote1(t, "\"");
  ForwardFinder quote2(t, "\"");
  size_t i = 0;
  for (;;) {
    const size_t p = platform::FindText(t, "<A HREF", i);
    if (p == npos) break;
    put(t.substr(i, p - i));
    const size_t gt = greater.Find(p);
    const size_t e = close.Find(p);
    std::string_view address;
    if (gt != npos) {
      const size_t q1 = quote1.Find(p);
      if (q1 < gt) {
        const size_t q2 = quote2.Find(q1 + 1);
        if (q2 < gt) {
          address = t.substr(q1 + 1, q2 - q1 - 1);
          address = address.substr(0, platform::Utf8PrefixLength(address, kMaxAddressLength));
        }
      }
    }
    std::string_view linkText;
    if (e != npos) {
      // Everything between the end of the opening tag and "</A>".
      if (gt + 1 < e) linkText = t.substr(gt + 1, e - gt - 1);
      i = e + 4;
    } else {
      // No "</A>": only "<A " goes, the rest of the tag stays.
      i = p + 3;
    }
    put("(L)");
    put(address);
    put(",");
    put(linkText);
    put("(/L)");
  }
  put(t.substr(i));
}

}  // namespace

std::string MarkLinks(std::string_view t) {
  // Measured first: anchors left open copy their addresses, and a text
  // grown by doubling would be copied and touched twice over.
  size_t size = 0;
  WalkLinks(t, [&size](std::string_view piece) { size += piece.size(); });
  std::string out;
  out.reserve(size);
  WalkLinks(t, [&out](std::string_view piece) { out.append(piece); });
  return out;
}

std::string MarkSentences(std::string input) {
  if (input.find('.') == npos) return input;  // nothing to mark: no copy
  const std::string_view t = input;
  // ". " and ".<BR>" never overlap and a mark forms neither, so one pass
  // equals the two passes in order.
  std::string out;
  out.reserve(t.size() + t.size() / 16);
  size_t i = 0;
  for (;;) {
    const size_t dot = t.find('.', i);
    if (dot == npos) break;
    out.append(t.substr(i, dot - i));
    if (t.compare(dot + 1, 1, " ") == 0) {
      out += "(PUNT)";
      i = dot + 2;
    } else if (t.compare(dot + 1, 4, "<BR>") == 0) {
      out += "(PUNT)";
      i = dot + 5;
    } else {
      out.push_back('.');
      i = dot + 1;
    }
  }
  out.append(t.substr(i));
  return out;
}

std::string CleanUpText(std::string t, bool catalanRules) {
  if (t.find('\r') != npos || t.find('\n') != npos) {
    t.erase(std::remove_if(t.begin(), t.end(), [](char c) { return c == '\r' || c == '\n'; }),
            t.end());
  }
  // Each replacement copies the text only when its pattern occurs; three
  // of them need an "&", which no replacement makes.
  const bool ampersand = t.find('&') != npos;
  if (catalanRules && platform::FindText(t, " I ") != npos)
    t = platform::ReplaceAll(t, " I ", " HI ");
  for (const auto& [pattern, replacement] :
       {std::pair<std::string_view, std::string_view>{"&RSQUO", "'"},
        {"&QUOT", "\""},
        {"&NBSP;", ""}}) {
    if (pattern[0] == '&' && !ampersand) continue;
    if (platform::FindText(t, pattern) != npos) t = platform::ReplaceAll(t, pattern, replacement);
  }
  return RemoveTags(std::move(t));
}

namespace {

void AddUnit(ReadingList& list, std::string text, UnitKind kind) {
  list.UnitCursor += 1;
  auto& unit = list.Unit(list.UnitCursor);
  unit.Text = std::move(text);
  unit.Kind = kind;
}

// Replaces the first image mark of a link text by its spoken form, with the
// rule's exact arithmetic also for a mark without its closing part.
std::u32string Characters(std::string_view text) {
  std::u32string out;
  for (size_t at = 0; at < text.size();) {
    const platform::Utf8Character c = platform::DecodeUtf8(text, at);
    out.push_back(c.code == platform::kMalformed ? static_cast<unsigned char>(text[at]) : c.code);
    at += c.length;
  }
  return out;
}

std::string Utf8(std::u32string_view text) {
  std::string out;
  for (const char32_t c : text) platform::AppendUtf8(out, c);
  return out;
}

// The rule counts characters, so it runs on them, not on UTF-8 bytes; a
// missing "(/G)" makes its counts depend on where the mark stands.
void SpeakImageInLinkText(std::string& linkText) {
  if (Pos("(G)", linkText) == 0) return;
  std::u32string t = Characters(linkText);
  const size_t first = t.find(U"(G)");
  const size_t end = t.find(U"(/G)");
  const long i = static_cast<long>(first) + 1;
  const long j = end == std::u32string::npos ? 0 : static_cast<long>(end) + 1;
  // CopyPart, DeleteAt and InsertAt of the rule, on characters.
  std::u32string content;
  if (j - i - 3 > 0 && static_cast<size_t>(i + 2) <= t.size()) {
    content = t.substr(static_cast<size_t>(i + 2), static_cast<size_t>(j - i - 3));
  }
  const size_t comma = content.find(U',');
  const std::u32string_view source = comma == std::u32string::npos
                                         ? std::u32string_view{}
                                         : std::u32string_view(content).substr(0, comma);
  const std::u32string_view description = comma == std::u32string::npos
                                              ? std::u32string_view(content)
                                              : std::u32string_view(content).substr(comma + 1);
  if (j - i + 4 > 0) t.erase(first, static_cast<size_t>(j - i + 4));
  std::string spoken(kImageWord);
  spoken += Utf8(description.empty() ? source : description);
  spoken += ' ';
  linkText = Utf8(t.substr(0, first)) + spoken + Utf8(t.substr(std::min(first, t.size())));
}

}  // namespace

bool Segment(ReadingList& list, std::string_view m, std::string* leftover) {
  ForwardFinder punt(m, "(PUNT)");
  ForwardFinder image(m, "(G)");
  ForwardFinder link(m, "(L)");
  ForwardFinder imageEnd(m, "(/G)");
  ForwardFinder linkEnd(m, "(/L)");
  // The text still to segment is m[o..]; consuming moves the offset.
  size_t o = 0;
  bool limit = false;
  for (;;) {
    const size_t p = punt.Find(o);
    const size_t g = image.Find(o);
    const size_t l = link.Find(o);
    if (p == npos && g == npos && l == npos) break;
    if (p < g && p < l) {
      AddUnit(list, std::string(m.substr(o, p - o)), UnitKind::Text);
      o = p + 6;
    } else {
      const bool isImage = g < l;
      const size_t mark = isImage ? g : l;
      if (mark > o) AddUnit(list, std::string(m.substr(o, mark - o)), UnitKind::Text);
      o = mark + 3;
      const size_t e = isImage ? imageEnd.Find(o) : linkEnd.Find(o);
      const std::string_view content = e == npos ? std::string_view{} : m.substr(o, e - o);
      const auto [first, second] = SplitAtComma(content);
      if (isImage) {
        AddUnit(list, std::string(kImageWord), UnitKind::Item);
        AddUnit(list, second.empty() ? std::string(first) : std::string(second) + " ",
                UnitKind::Item);
      } else {
        std::string linkText(second);
        SpeakImageInLinkText(linkText);
        std::string spoken = linkText.empty() ? std::string(first) : linkText;
        AddUnit(list, std::string(kLinkWord), UnitKind::Item);
        AddUnit(list, spoken, UnitKind::Item);
        list.LinkCursor += 1;
        auto& entry = list.Link(list.LinkCursor);
        entry.Address = std::string(first);
        entry.Text = std::move(spoken);
        entry.UnitIndex = list.UnitCursor;
      }
      // Without a closing mark only three characters go.
      o = e == npos ? o + platform::Utf8PrefixLength(m.substr(o), 3) : e + 4;
    }
    if (list.UnitCursor > ConversionLimit) {
      limit = true;
      break;
    }
  }
  if (leftover != nullptr) *leftover = std::string(m.substr(std::min(o, m.size())));
  return limit;
}

void PageConverter::ConvertPage(const std::string& html) {
  ReadingList& list = list_;
  list.ClearUnitsAndLinks();
  list.WorkingText.clear();
  list.MarkedText.clear();

  std::string text = ReplaceEntities(html);
  UpperCaseAscii(text);
  text = MarkImages(std::move(text));
  text = MarkLinks(text);
  text = MarkSentences(std::move(text));
  text = CleanUpText(std::move(text), catalanRules_);
  // The marked text is the working text and its end mark: one string, the
  // mark dropped again once segmentation is over.
  std::string marked = std::move(text);
  constexpr std::string_view kEndMark = " (PUNT)";
  marked += kEndMark;

  list.Unit(1) = ReadingUnit{std::string(kTitleWord), UnitKind::Text};
  list.Unit(2) = ReadingUnit{list.PageTitle, UnitKind::Item};
  list.UnitCursor = 2;
  list.LinkCursor = 0;

  reachedLimit_ = Segment(list, marked, &list.MarkedText);
  marked.resize(marked.size() - kEndMark.size());
  list.WorkingText = std::move(marked);
  // The links gathered are published on both paths, so a long page still
  // offers the links that are read.
  list.UnitCount = list.UnitCursor;
  list.LinkCount = list.LinkCursor;
  list.UnitCursor = 0;
  list.LinkCursor = 0;
  if (reachedLimit_ && warning_ != nullptr) {
    warning_->UseItemVoice();
    warning_->SpeakUnit(std::string(kTooLongWarning));
  }
}

}  // namespace sonavia::reading
