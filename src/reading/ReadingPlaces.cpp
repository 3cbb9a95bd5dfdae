#include "reading/ReadingPlaces.h"

#include <algorithm>

#include "reading/PageConverter.h"

namespace sonavia::reading {

namespace {

// Units 1 and 2 are "Títol" and the page's title.
constexpr int32_t kFirstPageUnit = 3;

// The first unit of a pair (an image's word, a link's, a control's or a
// structure note's): its second is no place of its own.
bool BeginsPair(const ReadingList& list, int32_t unit) {
  const ReadingUnit& u = list.Units.at(static_cast<size_t>(unit));
  return u.Own || (u.Kind == UnitKind::Item && (u.Text == kLinkWord || u.Text == kImageWord));
}

}  // namespace

void ReadingPlaces::Clear() {
  paragraph_.clear();
  heading_.clear();
}

void ReadingPlaces::Take(ReadingList& list, std::vector<int32_t> headings) {
  const auto count = static_cast<size_t>(std::max(list.UnitCount, 0));
  paragraph_.assign(count + 2, false);
  heading_.assign(count + 2, false);
  if (count >= kFirstPageUnit) paragraph_[kFirstPageUnit] = true;
  for (int32_t i = kFirstPageUnit; i <= list.UnitCount; ++i) {
    std::string& text = list.Unit(i).Text;
    bool ends = false;
    for (size_t at = text.find(kParagraphEnd); at != std::string::npos;
         at = text.find(kParagraphEnd, at)) {
      text.erase(at, kParagraphEnd.size());
      ends = true;
    }
    if (ends) paragraph_[static_cast<size_t>(i) + 1] = true;
  }
  for (const int32_t unit : headings) {
    if (unit >= kFirstPageUnit && unit <= list.UnitCount) {
      heading_[static_cast<size_t>(unit)] = true;
      paragraph_[static_cast<size_t>(unit)] = true;
    }
  }
}

bool ReadingPlaces::Any(Place place) const {
  // Every page unit starts a sentence; the first starts a paragraph.
  const std::vector<bool>& starts = place == Place::Heading ? heading_ : paragraph_;
  return std::find(starts.begin(), starts.end(), true) != starts.end();
}

bool ReadingPlaces::Starts(const ReadingList& list, Place place, int32_t unit) const {
  const auto at = static_cast<size_t>(unit);
  switch (place) {
    case Place::Heading:
      return at < heading_.size() && heading_[at];
    case Place::Paragraph:
      return at < paragraph_.size() && paragraph_[at];
    case Place::Sentence:
      // Every unit but the second of a pair.
      return unit == kFirstPageUnit || !BeginsPair(list, unit - 1);
  }
  return false;
}

int32_t ReadingPlaces::Next(const ReadingList& list, Place place, int32_t at, bool forward) const {
  // Nothing taken in (a page still loading): the list is an older page's.
  if (paragraph_.empty() || list.UnitCount < kFirstPageUnit) return 0;
  at = std::clamp(at, kFirstPageUnit - 1, list.UnitCount);
  if (forward) {
    for (int32_t unit = at + 1; unit <= list.UnitCount; ++unit) {
      if (Starts(list, place, unit)) return unit;
    }
    return 0;
  }
  // Back to the last place that starts before the unit being read: the
  // start of the heading's section, the paragraph or the sentence it is in,
  // or, from a place's first unit, the place before.
  for (int32_t unit = at - 1; unit >= kFirstPageUnit; --unit) {
    if (Starts(list, place, unit)) return unit;
  }
  return 0;
}

int32_t LinksBefore(ReadingList& list, int32_t unit) {
  int32_t links = 0;
  for (int32_t i = kFirstPageUnit; i < unit && i <= list.UnitCount; ++i) {
    if (list.Unit(i).Kind == UnitKind::Item && list.Unit(i).Text == kLinkWord) ++links;
  }
  return links;
}

}  // namespace sonavia::reading
