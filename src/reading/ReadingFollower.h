// Tells the page view which unit is being read, so that people who read
// along see it marked on the page: a sentence, an image or a link. The mark
// follows every unit handed to speech and goes when the reading stops.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "reading/ReadingList.h"

namespace sonavia::reading {

enum class MarkKind { Text, Image, Link };

struct ReadingMark {
  MarkKind kind = MarkKind::Text;
  // The unit's text as spoken; for an image its description, for a link
  // its text.
  std::string text;
  // Images and links are told by number, from 1, in document order: the
  // k-th image outside a link and the k-th link of the converted page.
  int32_t item = 0;

  bool operator==(const ReadingMark&) const = default;
};

// Whoever draws the mark: the browser component.
class ReadingMarkView {
 public:
  virtual ~ReadingMarkView() = default;
  virtual void ShowReadingMark(const ReadingMark& mark) = 0;
  virtual void HideReadingMark() = 0;
};

// What the page unit at an index shows, or nothing for the title units and
// for empty slots.
std::optional<ReadingMark> MarkForUnit(ReadingList& list, int32_t unit);
// The mark of a link in the links walk.
std::optional<ReadingMark> MarkForLink(ReadingList& list, int32_t link);

class ReadingFollower {
 public:
  explicit ReadingFollower(ReadingList& list) : list_(list) {}

  void SetView(ReadingMarkView* view) { view_ = view; }
  // Off, the mark goes at once; on again, the unit being read shows.
  void SetEnabled(bool enabled);
  bool Enabled() const { return enabled_; }

  // A page unit or a link has just been handed to speech.
  void UnitSpoken(int32_t unit) { Show(MarkForUnit(list_, unit)); }
  void LinkSpoken(int32_t link) { Show(MarkForLink(list_, link)); }
  // The reading stopped, paused or ended.
  void Stopped() { Show(std::nullopt); }

 private:
  void Show(std::optional<ReadingMark> mark);

  ReadingList& list_;
  ReadingMarkView* view_ = nullptr;
  bool enabled_ = true;
  std::optional<ReadingMark> current_;  // what is being read, shown or not
  bool shown_ = false;                  // whether the view holds a mark
};

}  // namespace sonavia::reading
