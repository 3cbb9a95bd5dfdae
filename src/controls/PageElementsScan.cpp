#include "controls/PageElementsScan.h"

#include <algorithm>

namespace sonavia::controls {

std::vector<std::pair<size_t, size_t>> ElementGroups(size_t count, size_t consent) {
  std::vector<std::pair<size_t, size_t>> groups;
  consent = std::min(consent, count);
  for (size_t first = 0; first < consent; first += kElementsInGroup) {
    groups.emplace_back(first, std::min(consent, first + kElementsInGroup) - 1);
  }
  for (size_t first = consent; first < count; first += kElementsInGroup) {
    groups.emplace_back(first, std::min(count, first + kElementsInGroup) - 1);
  }
  return groups;
}

void PageElementsScan::Start(std::vector<reading::PageControl> elements, size_t consent) {
  elements_ = std::move(elements);
  groups_ = ElementGroups(elements_.size(), consent);
  if (groups_.empty()) {
    level_ = Level::Off;
    h_.say(kNoPageElements);
    return;
  }
  group_ = 0;
  element_ = groups_[0].first;
  level_ = groups_.size() == 1 ? Level::Elements : Level::Groups;
  Offer();
}

std::pair<size_t, size_t> PageElementsScan::Offered() const {
  if (level_ == Level::Groups) return groups_[group_];
  if (level_ == Level::Elements) return {element_, element_};
  return {0, 0};
}

std::string PageElementsScan::Name(size_t element) const {
  return reading::ControlAnnouncement(elements_[element], h_.castilian());
}

std::string PageElementsScan::Label(size_t element) const {
  const reading::PageControl& control = elements_[element];
  return control.label.empty() ? reading::ControlWords(control, h_.castilian()) : control.label;
}

void PageElementsScan::Offer() {
  const auto [first, last] = Offered();
  h_.show(static_cast<int>(first), static_cast<int>(last));
  // A group by the names of its ends, short enough for a step; an element
  // whole, kind and all.
  if (level_ == Level::Groups) {
    h_.say(first == last ? Label(first) : Label(first) + ", " + Label(last));
  } else {
    h_.say(Name(first));
  }
}

bool PageElementsScan::Step() {
  if (level_ == Level::Groups) {
    if (++group_ >= groups_.size()) {
      Stop();
      return false;
    }
  } else if (level_ == Level::Elements) {
    if (++element_ > groups_[group_].second) {
      // Back to the groups, at the one left; with one group, back to the toolbar.
      if (groups_.size() == 1) {
        Stop();
        return false;
      }
      level_ = Level::Groups;
    }
  } else {
    return false;
  }
  Offer();
  return true;
}

void PageElementsScan::Press() {
  if (level_ == Level::Groups) {
    level_ = Level::Elements;
    element_ = groups_[group_].first;
    Offer();
  } else if (level_ == Level::Elements) {
    const size_t chosen = element_;
    Stop();
    h_.press(static_cast<int>(chosen));
  }
}

bool PageElementsScan::Stop() {
  if (level_ == Level::Off) return false;
  level_ = Level::Off;
  h_.show(-1, -1);
  return true;
}

}  // namespace sonavia::controls
