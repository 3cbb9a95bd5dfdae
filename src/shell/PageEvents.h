// The main window's side of the browser component: status and progress,
// the hover passes that move the reading onto a pointed link, the harvest
// of a completed document into the reading list, and the watchdog that
// speaks and closes the message windows a user may not see.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/Controls.h"
#include "platform/EventLoop.h"
#include "platform/WindowList.h"
#include "reading/PageConverter.h"
#include "reading/PageStructure.h"
#include "reading/ReadingList.h"
#include "reading/ReadingPlaces.h"
#include "reading/ReadingSequencer.h"
#include "shell/BrowserComponent.h"
#include "speech/SpeechEngine.h"

namespace sonavia::shell {

inline constexpr const char* kPageLoaded = "Pàgina carregada";
inline constexpr uint32_t kPageLoadedWait = 2500;
// How long "Pàgina carregada" may take in all before the page goes on.
inline constexpr uint32_t kPageLoadedLongest = 10000;
inline constexpr uint32_t kProgressSpeechGap = 4000;
inline constexpr const char* kDialUpTitle = "Conexión de acceso telefónico a redes";
inline constexpr const char* kNotConnected =
    "No estem conectats a la xarxa, cal fer la conexió manual";
inline constexpr const char* kCannotFind = "No puc trobar aquest lloc";
inline constexpr const char* kPageProcessEnded =
    "La pàgina ha deixat de funcionar; premeu Refrescar per tornar-la a carregar.";
inline constexpr const char* kPageNotResponding =
    "La pàgina no respon; premeu Refrescar per tornar-la a carregar, o Anterior per tornar "
    "enrere.";
// Said when the page's text (its article's, while that is read) changed by
// at least kLargeChange characters after it was read, and nothing is being
// read; at most once in kPageChangedGap ms.
inline constexpr const char* kPageChanged = "La pàgina ha canviat";
inline constexpr int32_t kLargeChange = 200;
inline constexpr uint32_t kPageChangedGap = 10000;
inline constexpr const char* kPageDialogPrefix = "Missatge de la pàgina: ";
inline constexpr size_t kPageDialogTextSpoken = 300;
inline constexpr uint32_t kPageDialogLongestWait = 15000;
// The window's caption; a complete page adds " - " and its title.
inline constexpr const char* kWindowCaption = "Sonavia";
// A page's title is cut to this many characters, in the caption and as it
// is read aloud; the status bar's text to this many. Longer texts are of no
// use to a person, and a title of megabytes, shown and read whole, kept the
// program from ever reading the page.
inline constexpr size_t kLongestTitle = 250;
inline constexpr size_t kLongestStatusText = 300;

// The window's controls and fields that the page events read and write.
struct PageWindow {
  platform::MenuItem& mnuParlar;
  platform::Button& SpeedButtonAlLink;
  platform::Button& SpeedButtonTab;
  platform::Label& StatusBar1;
  platform::Timer& TimerControlSituacio;
  std::string& LastStatusText;
  bool& HoverSpeechArmed;
  std::function<void(const std::string&)> SetCaption;
  // The reading list's mode and the menu item that shows it.
  std::function<void(reading::ReadingMode)> SetReadingMode;
  // Blocks and gives back the user's input to the window.
  std::function<void(bool)> SetEnabled;
  std::function<void()> FocusPage;
  std::function<void(int)> PressKey;
};

class PageEvents {
 public:
  PageEvents(PageWindow window, BrowserComponent& browser, platform::EventLoop& loop,
             platform::WindowList& windows, reading::ReadingList& list,
             reading::ReadingSequencer& sequencer, reading::PageConverter& converter,
             speech::SpeechEngine& speech);

  void DownloadBegin();
  void ProgressChange(int32_t progress, int32_t progressMax);
  void StatusTextChange(const std::string& text);
  void DocumentComplete();
  // The engine's load has ended: every picture and frame is in, or failed.
  void DownloadComplete();
  // The page is gone with the engine's process that held it: the reading
  // stops and the user hears so, until "Refrescar" loads it again.
  void PageProcessEnded();
  void WatchdogTick();
  // The user asked for a page (an address, a link followed, a file, the
  // history, a reload): the next load's announcement keeps the window's
  // input for its 2.5 s.
  void PageAskedFor() { askedFor_ = true; }
  // The window is closing: later events neither speak nor start a reading.
  void Close();
  // Shows a notice in the status bar and, with the reading on, says it: the
  // unit being read gives way and is read again after it.
  void Notice(const std::string& text);
  // The page's controls and notes said in the program's language as it is
  // now.
  void RenameControls();
  // Whether the article is read when the page has one (the user's choice).
  void SetArticleChoice(std::function<bool()> readArticle) {
    readArticle_ = std::move(readArticle);
  }
  // Takes the page shown into the reading list again, as the user's choice
  // of article or whole page now says, the reading stopped; false when there
  // is no page to take.
  bool ReadAgain();
  // The page is read again as it is now (what arrived after it was read
  // included), then `done` runs.
  void TakeAgain(std::function<void()> done);
  // The page's text changed by about `characters` after it was read.
  void PageChanged(int32_t characters);
  // Whether the page shown has an article, and whether it is what is read.
  bool HasArticle() const { return shown_ && shown_->Article() != nullptr; }
  bool ReadingArticle() const { return readingArticle_; }
  // Where the reading can jump on the page read.
  const reading::ReadingPlaces& Places() const { return places_; }

  // True from a download's start until its document completes or "Listo".
  bool Downloading = false;
  // When the download began or a progress figure was last spoken.
  uint32_t LastProgressSpeech = 0;

 private:
  bool ReadingOn() const { return w_.mnuParlar.Checked(); }
  void Harvest();
  // Fills the reading list from a document: its article or the whole page.
  void TakeIn(const BrowserDocument& document);
  // Gives the window its input back, when an announcement took it.
  void Unblock();
  void DismissWindow(const platform::WindowInfo& window, const char* message, uint32_t wait,
                     int key);
  void DismissPageDialog(const platform::WindowInfo& window);
  // With the reading on, says `message` once the engine is silent, the unit
  // being read stepped back; returns whether one was being read.
  bool SpeakOverReading(const std::string& message);
  // Reads on from the unit that gave way, if the page is still the same.
  void ReadOn(bool interrupted, uint64_t download);
  // Until the engine is silent, or `longest` ms after `since`.
  void WaitForSilence(uint32_t since, uint32_t longest);

  PageWindow w_;
  BrowserComponent& browser_;
  platform::EventLoop& loop_;
  platform::WindowList& windows_;
  reading::ReadingList& list_;
  reading::ReadingSequencer& sequencer_;
  reading::PageConverter& converter_;
  speech::SpeechEngine& speech_;
  // The page's controls and the units that announce them.
  std::vector<reading::PageControl> controls_;
  std::vector<int32_t> controlUnits_;
  // The page's structure notes and the units that say them.
  std::vector<reading::StructureNote> notes_;
  std::vector<int32_t> noteUnits_;
  reading::ReadingPlaces places_;
  std::function<bool()> readArticle_;
  bool readingArticle_ = false;
  // The page last taken into the reading list.
  std::optional<BrowserDocument> shown_;
  std::optional<uint32_t> changeSaid_;  // when "La pàgina ha canviat" was last said
  uint64_t downloads_ = 0;              // counts download starts
  bool closed_ = false;
  bool askedFor_ = false;       // since the last download began
  bool blockThisLoad_ = false;  // the load under way is one the user asked for
  bool pageCompleted_ = false;  // the load under way has completed and been read
  bool blocking_ = false;       // the window's input is held for an announcement
  bool pageGone_ = false;       // the page's process ended since the load began
  bool loadEnded_ = false;      // the engine's load ended since it began
  bool restLoading_ = false;    // the page is read while its pictures still load
};

// "12 % carregat" for 1 of 8: the percentage rounded half to even, not clamped.
std::string ProgressFigure(int32_t progress, int32_t progressMax);

}  // namespace sonavia::shell
