// A readable dump of everything a conversion writes, for comparing two
// conversions and for failure messages.
#pragma once

#include <sstream>
#include <string>

#include "reading/ReadingList.h"

namespace sonavia::testing {

inline std::string DumpList(const reading::ReadingList& list) {
  std::ostringstream out;
  out << "UnitCount=" << list.UnitCount << " UnitCursor=" << list.UnitCursor
      << " LinkCount=" << list.LinkCount << " LinkCursor=" << list.LinkCursor << "\n";
  for (size_t i = 1; i < list.Units.size(); ++i) {
    const auto& u = list.Units[i];
    if (u.Text.empty() && u.Kind == reading::UnitKind::None) continue;
    out << "U" << i << " " << static_cast<int>(u.Kind) << " [" << u.Text << "]\n";
  }
  for (size_t i = 1; i < list.Links.size(); ++i) {
    const auto& l = list.Links[i];
    if (l.Address.empty() && l.Text.empty() && static_cast<int32_t>(i) > list.LinkCount) continue;
    out << "L" << i << " [" << l.Address << "] [" << l.Text << "] " << l.UnitIndex << "\n";
  }
  out << "W [" << list.WorkingText << "]\nM [" << list.MarkedText << "]\n";
  return out.str();
}

}  // namespace sonavia::testing
