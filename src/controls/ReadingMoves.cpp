#include "controls/ReadingMoves.h"

namespace sonavia::controls {

ReadingMoves::ReadingMoves(MovesWindow window, reading::ReadingList& list,
                           reading::ReadingSequencer& sequencer, speech::SpeechEngine& speech)
    : w_(std::move(window)), list_(list), sequencer_(sequencer), speech_(speech) {}

void ReadingMoves::SwitchArticle() {
  w_.ScanHold();
  const bool article = !w_.article.Checked();
  w_.article.SetChecked(article);
  const int language = w_.Castilian() ? 1 : 0;
  const bool has = w_.HasArticle();
  const char* words = !article ? kWholePageWords[language]
                      : has    ? kArticleWords[language]
                               : kNoArticleWords[language];
  // A page without an article reads the same either way: it goes on.
  const bool again = has && w_.ReadAgain();
  if (!w_.speech.On()) return;
  sequencer_.SpeakAside(words, speech_.AppliedRate);
  if (again) sequencer_.StartReadingAt(1);
}

void ReadingMoves::Move(reading::Place place, bool forward) {
  w_.ScanHold();
  if (list_.ReadingMode != reading::ReadingMode::Page) {
    w_.SetReadingMode(reading::ReadingMode::Page);
    list_.UnitCursor = 0;
  }
  // The unit being read, or the one a paused reading resumes with.
  const int32_t at = speech_.Speaking ? list_.UnitCursor : list_.UnitCursor + 1;
  const int32_t to = w_.Places().Next(list_, place, at, forward);
  if (to == 0) return;
  w_.speech.Set(true);
  sequencer_.ReadFrom(to);
}

}  // namespace sonavia::controls
