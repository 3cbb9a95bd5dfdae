#include "reading/ReadingFollower.h"

#include "reading/PageConverter.h"

namespace sonavia::reading {

namespace {

// Units 1 and 2 are "Títol" and the page's title, which are not on the page.
constexpr int32_t kFirstPageUnit = 3;

bool IsItem(ReadingList& list, int32_t unit, std::string_view text) {
  const ReadingUnit& u = list.Unit(unit);
  return u.Kind == UnitKind::Item && u.Text == text;
}

}  // namespace

std::optional<ReadingMark> MarkForUnit(ReadingList& list, int32_t unit) {
  if (unit < kFirstPageUnit || unit > list.UnitCount) return std::nullopt;
  // The conversion lays images and links out as pairs of units: the word
  // and the description or link text. Walking the pairs from the top tells
  // a description that happens to read "LINK" from the word itself, and
  // counts the images on the way.
  int32_t images = 0;
  int32_t links = 0;
  int32_t i = kFirstPageUnit;
  while (i <= unit) {
    const bool pair = i < list.UnitCount;
    if (pair && IsItem(list, i, kLinkWord)) {
      ++links;
      if (unit <= i + 1) return ReadingMark{MarkKind::Link, list.Unit(i + 1).Text, links};
      i += 2;
    } else if (pair && (IsItem(list, i, kImageWord) || list.Unit(i).Own)) {
      // A control is marked as the image it stands in for in the page's
      // order.
      ++images;
      if (unit <= i + 1) return ReadingMark{MarkKind::Image, list.Unit(i + 1).Text, images};
      i += 2;
    } else {
      if (i == unit) break;
      ++i;
    }
  }
  const ReadingUnit& u = list.Unit(unit);
  if (u.Kind == UnitKind::None) return std::nullopt;
  return ReadingMark{MarkKind::Text, u.Text, 0};
}

std::optional<ReadingMark> MarkForLink(ReadingList& list, int32_t link) {
  if (link < 1 || link > list.LinkCount) return std::nullopt;
  return ReadingMark{MarkKind::Link, list.Link(link).Text, link};
}

void ReadingFollower::SetEnabled(bool enabled) {
  if (enabled == enabled_) return;
  enabled_ = enabled;
  const std::optional<ReadingMark> current = current_;
  current_.reset();
  Show(current);
}

void ReadingFollower::Show(std::optional<ReadingMark> mark) {
  if (mark == current_ && shown_ == (enabled_ && mark.has_value())) return;
  current_ = std::move(mark);
  if (view_ == nullptr) return;
  if (enabled_ && current_) {
    view_->ShowReadingMark(*current_);
    shown_ = true;
  } else if (shown_) {
    view_->HideReadingMark();
    shown_ = false;
  }
}

}  // namespace sonavia::reading
