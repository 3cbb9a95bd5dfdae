// The one record of the page being read: its units, its link table, the
// cursors of the reading, the reading mode and the addresses for links.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace sonavia::reading {

enum class UnitKind : int32_t { None = 0, Text = 1, Item = 2 };
enum class ReadingMode : int32_t { Page = 1, Links = 2 };

inline constexpr int32_t UnitCapacity = 1000;
inline constexpr int32_t LinkCapacity = 1000;
inline constexpr int32_t ResolvedLinkCapacity = 2000;
// The conversion stops as soon as its running index passes this.
inline constexpr int32_t ConversionLimit = 995;

struct ReadingUnit {
  std::string Text;
  UnitKind Kind = UnitKind::None;
  // The program's own words (a control's kind and state), said in the
  // user's language whatever the page's.
  bool Own = false;
};

struct LinkEntry {
  std::string Address;
  std::string Text;
  int32_t UnitIndex = 0;
};

// Texts are UTF-8. Every list is indexed from 1; slot 0 exists only
// so that index 0 ("none") is harmless to read.
struct ReadingList {
  int32_t UnitCursor = 0;
  int32_t UnitCount = 0;
  std::array<ReadingUnit, UnitCapacity + 1> Units;
  int32_t LinkCursor = 0;
  int32_t LinkCount = 0;
  std::array<LinkEntry, LinkCapacity + 1> Links;
  // Qualified, since the field carries the type's name.
  reading::ReadingMode ReadingMode = static_cast<reading::ReadingMode>(0);
  std::string BaseAddress;
  std::string PageAddress;
  std::string LinkTarget;
  std::array<std::string, ResolvedLinkCapacity + 1> ResolvedLinks;
  std::string PageTitle;
  std::string WorkingText;
  std::string MarkedText;

  void SetPageTitle(const std::string& title) { PageTitle = title; }
  void SetReadingMode(reading::ReadingMode mode) { ReadingMode = mode; }
  void SetPageAddresses(const std::string& base, const std::string& page) {
    BaseAddress = base;
    PageAddress = page;
  }

  // Checked access: an index out of the slots throws std::out_of_range,
  // which the reading step absorbs like any other failure.
  ReadingUnit& Unit(int32_t index) { return Units.at(static_cast<size_t>(index)); }
  LinkEntry& Link(int32_t index) { return Links.at(static_cast<size_t>(index)); }
  std::string& ResolvedLink(int32_t index) { return ResolvedLinks.at(static_cast<size_t>(index)); }

  // Empties every unit and link slot and zeroes both counts and cursors.
  void ClearUnitsAndLinks();
};

// The process-wide list.
ReadingList& TheReadingList();

}  // namespace sonavia::reading
