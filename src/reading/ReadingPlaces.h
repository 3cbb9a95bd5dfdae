// The places of a page a listener can jump to: its headings, paragraphs and
// sentences. The page view ends each block (a paragraph, a heading, a list
// item, a cell) with kParagraphEnd just before the block's sentence end;
// Take removes it from the units and keeps where the paragraphs start.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "reading/ReadingList.h"

namespace sonavia::reading {

// U+2029 PARAGRAPH SEPARATOR, which the page view never passes on from a
// page's own text.
inline constexpr std::string_view kParagraphEnd = "\xE2\x80\xA9";

enum class Place { Heading, Paragraph, Sentence };

class ReadingPlaces {
 public:
  // Takes the paragraph ends out of the page's units; `headings` are the
  // units that announce the page's headings.
  void Take(ReadingList& list, std::vector<int32_t> headings);
  void Clear();
  // Whether the page read has a place of this kind to go to.
  bool Any(Place place) const;

  // The first place that starts after unit `at` (the unit being read), or
  // the last that starts before it; 0 when there is none.
  int32_t Next(const ReadingList& list, Place place, int32_t at, bool forward) const;

 private:
  bool Starts(const ReadingList& list, Place place, int32_t unit) const;

  std::vector<bool> paragraph_;  // by unit: a paragraph starts there
  std::vector<bool> heading_;    // by unit: a heading's announcement
};

// How many "LINK" units come before `unit`: the link cursor of a reading
// that goes on from there.
int32_t LinksBefore(ReadingList& list, int32_t unit);

}  // namespace sonavia::reading
