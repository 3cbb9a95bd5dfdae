// Which document completion the browser component raises, and when. A
// page's frames complete before its top document, each once its snapshot
// is read; completions come one at a time, in the order they were queued,
// so that one whose handler is still running (it may wait, dispatching
// messages) is never overtaken or nested by the next; and a newer load drops
// whatever an older one still had to raise.
//
// The page is taken as loaded once its text is there and has settled,
// whether or not every picture and frame has finished: when the document
// has been parsed and its content has not changed for kParsedQuiet ms (or
// kParsedLongest ms after it was parsed, for a page that never stops
// changing), or, for a document whose end has not come (a connection held
// open), when its body has had content and nothing has changed for
// kUnparsedQuiet ms; or when the engine says it has loaded, if that comes
// first.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>

#include "platform/EventLoop.h"

namespace sonavia::shell {

class CompletionOrder {
 public:
  // A snapshot asked for: of which load, and whether of the top document.
  struct Snapshot {
    uint64_t load;
    bool top;
  };
  struct Actions {
    // Read the top document now; call SnapshotRead with `snapshot` once
    // it is read.
    std::function<void(Snapshot snapshot)> readDocument;
    // Raise a document's completion; the top document's comes once the
    // page is no longer busy.
    std::function<void(bool top)> complete;
  };

  static constexpr uint32_t kParsedQuiet = 300;
  static constexpr uint32_t kParsedLongest = 2000;
  static constexpr uint32_t kUnparsedQuiet = 1500;

  CompletionOrder(Actions actions, platform::EventLoop& loop);
  CompletionOrder(const CompletionOrder&) = delete;
  CompletionOrder& operator=(const CompletionOrder&) = delete;

  void LoadStarted();
  // The top document of a page was created. False when it belongs to no
  // load reported to this order: the engine reports no start for a
  // navigation that begins while the last one is still loading (a frame
  // that never finishes), and the caller then starts one for it. What the
  // document left behind reports before then is not the new page's.
  bool TopStarted();
  // A frame's document finished loading. Counts only while a page loads
  // and its top document has not finished.
  void FrameLoaded();
  // The top document finished loading: it is read once the frames are.
  void TopLoaded();
  // The top document has been parsed whole (its pictures and frames may
  // still be loading).
  void TopParsed();
  // The top document's body changed: content arrived or was added.
  void TopChanged();
  // Whether a snapshot belongs to the current load; an older one is
  // dropped, and its document is not kept.
  bool Current(Snapshot snapshot) const { return snapshot.load == load_; }
  // The document asked for with `snapshot` has been read.
  void SnapshotRead(Snapshot snapshot);
  // Nothing more is raised: the component is going away.
  void Forget() { ++load_; }
  // The page went away unfinished (its process ended): nothing more of its
  // load is raised, and the component is not busy with it.
  void Abandon();

  // From a load's start until the top document's completion is raised.
  bool Busy() const { return busy_; }

 private:
  void ReadTop();
  void Queue(bool top);
  // Takes the top document as loaded once its text has settled; otherwise
  // looks again when it might have.
  void CheckSettled();

  Actions actions_;
  platform::EventLoop& loop_;
  std::unique_ptr<platform::Timer> settle_;
  bool started_ = false;  // the load's top document has been created
  bool parsed_ = false;   // the top document has been parsed
  bool changed_ = false;  // its body has changed since the load began
  uint32_t parsedAt_ = 0, changedAt_ = 0;
  uint64_t load_ = 0;
  bool busy_ = false;
  int framesInFlight_ = 0;    // frame snapshots asked for and not yet read
  bool topFinished_ = false;  // the top document's load has finished
  bool topWaiting_ = false;   // its snapshot waits for the frames'
  bool abandoned_ = false;    // the load went away unfinished
  std::deque<Snapshot> queue_;
  bool raising_ = false;
  // Expires with this object, which a completion's handler may destroy.
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace sonavia::shell
