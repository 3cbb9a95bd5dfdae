// The second cycle's place "Elements de la pàgina": the scan walks what can
// be pressed on the page (links, buttons, fields, check boxes, lists,
// summaries), first in groups of at most eight in the page's order, each
// said by its first and last element, then the elements of a chosen group
// one by one. A consent dialog's buttons make the first group. A press on
// an element presses it; a pass without a choice goes back a level, and
// from the groups back to the toolbar.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "reading/PageControl.h"

namespace sonavia::controls {

inline constexpr size_t kElementsInGroup = 8;
inline constexpr const char* kNoPageElements = "La pàgina no té cap element per prémer";

// The groups of `count` elements, as [first, last] from 0: the `consent`
// first ones apart, then the rest in eights.
std::vector<std::pair<size_t, size_t>> ElementGroups(size_t count, size_t consent);

class PageElementsScan {
 public:
  struct Hooks {
    // Says a short text in the item voice, over the reading.
    std::function<void(const std::string&)> say;
    // Frames the elements `first` to `last` (from 0) in view; -1 for none.
    std::function<void(int, int)> show;
    std::function<void(int)> press;
    std::function<bool()> castilian;
  };
  explicit PageElementsScan(Hooks hooks) : h_(std::move(hooks)) {}

  // Offers the page's elements at once: their first group, or the elements
  // themselves when one group holds them all.
  void Start(std::vector<reading::PageControl> elements, size_t consent);
  bool Active() const { return level_ != Level::Off; }
  // One step of the scan; false once it has left (nothing is offered).
  bool Step();
  // The switch: a group is chosen, an element pressed.
  void Press();
  // Leaves at once; returns whether it was offering anything.
  bool Stop();

  // The element at `index` of the last list, if there is one.
  const reading::PageControl* Element(size_t index) const {
    return index < elements_.size() ? &elements_[index] : nullptr;
  }
  // For the view and the tests: the range offered now, [first, last].
  std::pair<size_t, size_t> Offered() const;

 private:
  enum class Level { Off, Groups, Elements };
  void Offer();
  std::string Name(size_t element) const;
  std::string Label(size_t element) const;

  Hooks h_;
  std::vector<reading::PageControl> elements_;
  std::vector<std::pair<size_t, size_t>> groups_;
  Level level_ = Level::Off;
  size_t group_ = 0;
  size_t element_ = 0;
};

}  // namespace sonavia::controls
