// Where the reading goes at the user's word: the article or the whole page,
// and jumps to the next or previous heading, paragraph or sentence, from the
// keys, the menu and the switch's second cycle.
#pragma once

#include <functional>
#include <string>

#include "controls/SpeechSwitch.h"
#include "platform/Controls.h"
#include "reading/ReadingList.h"
#include "reading/ReadingPlaces.h"
#include "reading/ReadingSequencer.h"
#include "speech/SpeechEngine.h"

namespace sonavia::controls {

// What the article item says, in the item voice, as it switches.
inline constexpr const char* kArticleWords[2] = {"Article", "Artículo"};
inline constexpr const char* kWholePageWords[2] = {"Pàgina sencera", "Página entera"};
inline constexpr const char* kNoArticleWords[2] = {"Pàgina sencera, sense article",
                                                   "Página entera, sin artículo"};

struct MovesWindow {
  SpeechSwitch& speech;
  // "Llegir l'article", checked while articles are read.
  platform::MenuItem& article;
  std::function<void(reading::ReadingMode)> SetReadingMode;
  std::function<bool()> Castilian;
  std::function<void()> ScanHold;
  // The page events' side: the places of the page read, whether it has an
  // article, and the page taken in again as the choice now says.
  std::function<const reading::ReadingPlaces&()> Places;
  std::function<bool()> HasArticle;
  std::function<bool()> ReadAgain;
};

class ReadingMoves {
 public:
  ReadingMoves(MovesWindow window, reading::ReadingList& list, reading::ReadingSequencer& sequencer,
               speech::SpeechEngine& speech);

  // The article item's command: articles read or not; the page shown is
  // read again from its start the new way, after the words that say which.
  void SwitchArticle();
  // Reads on from the next (or previous) place of its kind; nothing when
  // there is none.
  void Move(reading::Place place, bool forward);

 private:
  MovesWindow w_;
  reading::ReadingList& list_;
  reading::ReadingSequencer& sequencer_;
  speech::SpeechEngine& speech_;
};

}  // namespace sonavia::controls
