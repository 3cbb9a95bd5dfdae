// The page's zoom: Ctrl+plus, Ctrl+minus and Ctrl+0 (and their menu items)
// step it through the usual levels or bring it back to 100 %. Each change is
// shown in the status bar and said briefly; the level is kept with the other
// settings and given to every page the browser shows.
#pragma once

#include <functional>
#include <string>

#include "platform/Controls.h"
#include "reading/ReadingList.h"
#include "reading/ReadingSequencer.h"
#include "speech/SpeechEngine.h"

namespace sonavia::controls {

inline constexpr int kNormalZoom = 100;
inline constexpr int kMinZoom = 25;
inline constexpr int kMaxZoom = 500;
inline constexpr bool ValidZoom(int percent) {
  return percent >= kMinZoom && percent <= kMaxZoom;
}

// What the zoom works on.
struct ZoomWindow {
  platform::Label& status;                 // the status bar, where the level shows
  std::function<bool()> speechOn;          // as the speech button shows it
  std::function<void(int percent)> apply;  // gives the level to the browser
};

class PageZoom {
 public:
  PageZoom(ZoomWindow window, reading::ReadingList& list, reading::ReadingSequencer& sequencer,
           speech::SpeechEngine& speech);

  int Percent() const { return percent_; }
  // The next level up or down from the present one; 100 %.
  void ZoomIn();
  void ZoomOut();
  void Reset();
  // A level from the settings: taken when valid, silently; otherwise 100 %.
  void Restore(const std::string& stored);

 private:
  void Set(int percent);
  // Says the new level: over a unit being read, which is then read again
  // from its start; between two units, before the next; alone when nothing
  // is read.
  void Announce(const std::string& text);

  ZoomWindow w_;
  reading::ReadingSequencer& sequencer_;
  speech::SpeechEngine& speech_;
  int percent_ = kNormalZoom;
};

// "Ampliació 125 %": what the status bar shows and the voice says.
std::string ZoomText(int percent);

}  // namespace sonavia::controls
