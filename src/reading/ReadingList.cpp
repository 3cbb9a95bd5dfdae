#include "reading/ReadingList.h"

#include <memory>

namespace sonavia::reading {

void ReadingList::ClearUnitsAndLinks() {
  UnitCursor = 0;
  UnitCount = 0;
  for (auto& unit : Units) unit = ReadingUnit{};
  LinkCursor = 0;
  LinkCount = 0;
  for (auto& link : Links) {
    link.Address.clear();
    link.Text.clear();
  }
}

ReadingList& TheReadingList() {
  static const auto list = std::make_unique<ReadingList>();
  return *list;
}

}  // namespace sonavia::reading
