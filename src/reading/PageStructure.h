// What a page's structure tells a listener, as the page view notes it: a
// heading's level, how many items a list has, a data table's size, and a
// cell's column header. Each note stands in the page's units as an image
// pair, as a control does, and becomes the program's words (said in the
// user's language, in the item voice) and the page's (the header's text).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "reading/ReadingList.h"

namespace sonavia::reading {

enum class NoteKind { Heading, List, Table, Header };

struct StructureNote {
  NoteKind kind = NoteKind::Heading;
  int32_t level = 0;    // a heading's, 1 to 6
  int32_t items = 0;    // a list's
  int32_t rows = 0;     // a table's
  int32_t columns = 0;  // a table's
  std::string text{};   // a column header's, in the page's words

  bool operator==(const StructureNote&) const = default;
};

// The page view writes each note as an image whose source is this mark and
// the note's number from 1.
inline constexpr std::string_view kStructureMark = "(S)";

// The program's words for a note: "Títol 2", "Llista de 3 elements", "Taula
// de 4 files i 2 columnes"; nothing for a header, which is the page's.
std::string NoteWords(const StructureNote& note, bool castilian);

// Turns each note's image pair of units into its two units: its words (the
// program's own) and its page words. Returns the units of the words, one for
// each note placed (0 for one the list lacks).
std::vector<int32_t> PlaceNotes(ReadingList& list, const std::vector<StructureNote>& notes,
                                bool castilian);
// Says the placed notes' words in the other language.
void RenameNotes(ReadingList& list, const std::vector<int32_t>& units,
                 const std::vector<StructureNote>& notes, bool castilian);

}  // namespace sonavia::reading
