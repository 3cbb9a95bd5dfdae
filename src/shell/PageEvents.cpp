#include "shell/PageEvents.h"

#include <algorithm>
#include <cfenv>
#include <cmath>

#include "platform/UnitTools.h"
#include "platform/VirtualKeys.h"
#include "shell/PageLanguage.h"

namespace sonavia::shell {

namespace {

constexpr uint32_t kSpeechPoll = 100;

}  // namespace

std::string ProgressFigure(int32_t progress, int32_t progressMax) {
  const double percent = static_cast<double>(progress) / progressMax * 100.0;
  // Ties go to the even neighbour, whatever rounding mode is in force.
  const int previous = std::fegetround();
  std::fesetround(FE_TONEAREST);
  const long long rounded = std::llrint(percent);
  std::fesetround(previous);
  return std::to_string(rounded) + " % carregat";
}

PageEvents::PageEvents(PageWindow window, BrowserComponent& browser, platform::EventLoop& loop,
                       platform::WindowList& windows, reading::ReadingList& list,
                       reading::ReadingSequencer& sequencer, reading::PageConverter& converter,
                       speech::SpeechEngine& speech)
    : w_(std::move(window)),
      browser_(browser),
      loop_(loop),
      windows_(windows),
      list_(list),
      sequencer_(sequencer),
      converter_(converter),
      speech_(speech) {}

void PageEvents::Close() {
  closed_ = true;
  w_.TimerControlSituacio.SetEnabled(false);
}

void PageEvents::DownloadBegin() {
  if (closed_) return;
  ++downloads_;
  // The page announced is gone: the user gets the window back at once.
  Unblock();
  blockThisLoad_ = askedFor_;
  askedFor_ = false;
  pageCompleted_ = false;
  pageGone_ = false;
  loadEnded_ = false;
  restLoading_ = false;
  shown_.reset();
  places_.Clear();
  sequencer_.StartReadingAt(0);
  speech_.SetPageLanguage({});
  LastProgressSpeech = loop_.TickCount();
  Downloading = true;
  w_.HoverSpeechArmed = false;
}

void PageEvents::ProgressChange(int32_t progress, int32_t progressMax) {
  if (closed_ || progressMax <= 0) return;
  const std::string figure = ProgressFigure(progress, progressMax);
  if (!Downloading && !restLoading_) return;
  w_.StatusBar1.SetText(platform::Shortened(w_.LastStatusText, kLongestStatusText) + " || " +
                        figure);
  // Once the page is being read, what is left to load is shown, never said:
  // a figure said between two units would silence the reading.
  if (!Downloading) return;
  // An unsigned difference: a wrap of the tick count changes nothing.
  if (ReadingOn() && progress > 0 &&
      static_cast<uint32_t>(loop_.TickCount() - LastProgressSpeech) > kProgressSpeechGap) {
    speech_.UseItemVoice();
    speech_.SpeakMessage(figure);
    LastProgressSpeech = loop_.TickCount();
  }
}

void PageEvents::StatusTextChange(const std::string& text) {
  if (closed_ || text.empty()) return;
  if (text == kStatusDone) Downloading = false;
  // Kept whole, since it is the address that "Al link" follows; the status
  // bar shows its beginning.
  w_.LastStatusText = text;
  w_.StatusBar1.SetText(platform::Shortened(text, kLongestStatusText));
  const int32_t count = std::min(list_.LinkCount, reading::ResolvedLinkCapacity);
  if (count <= 0) return;
  const bool announce = w_.HoverSpeechArmed && ReadingOn();
  for (int32_t k = 1; k <= count; ++k) {
    if (list_.ResolvedLink(k) != text) continue;
    if (announce) {
      if (list_.ReadingMode != reading::ReadingMode::Links) {
        // The poll finds the engine idle and goes on with the link's "LINK",
        // which counts it: F2 then follows this link, not the one read last.
        speech_.upcTVStop();
        list_.UnitCursor = std::max(0, list_.Link(k).UnitIndex - 2);
        list_.LinkCursor = k - 1;
      } else {
        sequencer_.StopSpeaking();
        speech_.UsePageVoice(false);
        speech_.SpeakMessage(list_.Link(k).Text);
        list_.LinkCursor = k;  // heard last
      }
    }
    w_.SpeedButtonAlLink.SetEnabled(true);
    return;
  }
  for (int32_t k = 1; k <= count; ++k) {
    const std::string& address = list_.ResolvedLink(k);
    if (address.empty() || text.find(address) == std::string::npos) continue;
    if (announce) {
      sequencer_.StartReadingAt(0);
      speech_.UsePageVoice(false);
      speech_.SpeakMessage(list_.Link(k).Text);
    }
    w_.SpeedButtonAlLink.SetEnabled(true);
    return;
  }
  w_.SpeedButtonAlLink.SetEnabled(false);
}

void PageEvents::DocumentComplete() {
  // One load is announced and read once: what completes after the page
  // itself (frames added later, say) changes nothing.
  if (closed_ || pageCompleted_) return;
  // A frame's document completes before the page, which completes once the
  // component is no longer busy. A frame's completion only takes in what the
  // page holds so far: it neither takes the keyboard (the user may be typing
  // an address) nor is announced, however many frames a page has.
  const bool page = !browser_.Busy();
  Downloading = false;
  if (page) {
    pageCompleted_ = true;
    restLoading_ = !loadEnded_;
    sequencer_.NewReading();
    w_.FocusPage();
  }
  w_.LastStatusText.clear();
  if (page && ReadingOn()) {
    sequencer_.StartReadingAt(0);
    speech_.UseItemVoice();
    speech_.SpeakMessage(kPageLoaded);
    const uint32_t spoken = loop_.TickCount();
    const uint64_t download = downloads_;
    // The window takes no input while a page the user asked for is
    // announced; a page that loads itself (a refresh, a script) never
    // keeps the user out.
    if (blockThisLoad_) {
      blocking_ = true;
      w_.SetEnabled(false);
    }
    platform::WaitProcessingMessages(loop_, kPageLoadedWait);
    // Heard whole at a slow rate too: what follows would be dropped while
    // the engine is busy with it.
    // The page's process may have ended meanwhile, and nothing is left to
    // read; or a newer load has begun, which is announced and read itself.
    const bool overtaken = pageGone_ || download != downloads_;
    if (!overtaken) WaitForSilence(spoken, kPageLoadedLongest);
    Unblock();
    if (overtaken) return;
  }
  // A failure anywhere in the harvest ends it there, without a word.
  try {
    Harvest();
  } catch (...) {
  }
  w_.HoverSpeechArmed = true;
  w_.SpeedButtonAlLink.SetEnabled(false);
  w_.SpeedButtonTab.SetEnabled(list_.LinkCount != 0);
}

void PageEvents::DownloadComplete() {
  loadEnded_ = true;
  restLoading_ = false;
}

void PageEvents::PageProcessEnded() {
  if (closed_) return;
  Unblock();
  Downloading = false;
  restLoading_ = false;
  pageGone_ = true;
  // Nothing of the page answers any more: no pointed link moves the reading.
  w_.HoverSpeechArmed = false;
  sequencer_.StartReadingAt(0);
  // Nothing of it is left to read either: a step waiting out its pause
  // finds the list at its end.
  list_.ClearUnitsAndLinks();
  w_.StatusBar1.SetText(kPageProcessEnded);
  if (!ReadingOn()) return;
  // Whatever is still heard (an announcement, a progress figure) gives way.
  speech_.upcTVStop();
  speech_.UseItemVoice();
  speech_.SpeakMessage(kPageProcessEnded);
}

void PageEvents::Unblock() {
  if (!blocking_) return;
  blocking_ = false;
  w_.SetEnabled(true);
}

void PageEvents::Harvest() {
  // A copy: the waits below may let a newer document replace the component's.
  const BrowserDocument document = browser_.Document();
  shown_ = document;
  TakeIn(document);
  // A page too long to read whole has its warning being spoken; the reading
  // goes on from unit 1 when it has been heard.
  const bool warning = converter_.ReachedLimit() && speech_.IsSpeaking();
  if (!browser_.Busy() && ReadingOn() && !warning) sequencer_.StartReadingAt(1);
}

void PageEvents::TakeIn(const BrowserDocument& document) {
  // The article when the user reads articles and the page has one; else the
  // whole page, never nothing.
  const BrowserDocument* article = readArticle_ && readArticle_() ? document.Article() : nullptr;
  const BrowserDocument& read = article != nullptr ? *article : document;
  readingArticle_ = article != nullptr;
  browser_.UseArticle(readingArticle_);
  const int32_t n = read.links_length();
  const int32_t stored = std::min(n, reading::ResolvedLinkCapacity);
  for (int32_t i = 0; i < stored; ++i) {
    list_.ResolvedLink(i + 1) = platform::ReplaceAll(read.Links_Item(i), "%20", " ");
  }
  // An earlier page's addresses must never match this page's status texts.
  for (int32_t k = std::max(stored, 0) + 1; k <= reading::ResolvedLinkCapacity; ++k) {
    list_.ResolvedLink(k).clear();
  }
  const std::string& title = document.Title();
  w_.SetCaption(std::string(kWindowCaption) + " - " + platform::Shortened(title, kLongestTitle));
  w_.SetReadingMode(reading::ReadingMode::Page);
  list_.SetPageTitle(platform::Shortened(read.Title(), kLongestTitle, ""));
  const std::string name = browser_.LocationName();
  const std::string address = browser_.LocationURL();
  const std::string language = PageLanguage(document.Language(), address);
  speech_.SetPageLanguage(language);
  // Text in another language keeps its words as written.
  converter_.SetCatalanRules(speech::PageVoice(language, true).name.empty());
  converter_.ConvertPage(read.body_outerHtml());
  controls_ = read.Controls();
  controlUnits_ = reading::PlaceControls(list_, controls_, !speech_.CatalanActive);
  notes_ = read.Notes();
  noteUnits_ = reading::PlaceNotes(list_, notes_, !speech_.CatalanActive);
  std::vector<int32_t> headings;
  for (size_t k = 0; k < notes_.size() && k < noteUnits_.size(); ++k) {
    if (notes_[k].kind == reading::NoteKind::Heading) headings.push_back(noteUnits_[k]);
  }
  places_.Take(list_, std::move(headings));
  const std::string base = name.size() >= address.size()
                               ? std::string()
                               : address.substr(0, address.size() - name.size());
  list_.SetPageAddresses(base, address);
}

bool PageEvents::ReadAgain() {
  if (closed_ || !shown_) return false;
  try {
    sequencer_.StartReadingAt(0);
    TakeIn(*shown_);
  } catch (...) {
    return false;
  }
  return true;
}

void PageEvents::TakeAgain(std::function<void()> done) {
  if (closed_ || !pageCompleted_ || pageGone_) {
    done();
    return;
  }
  const uint64_t download = downloads_;
  browser_.ReadDocumentAgain([this, download, done = std::move(done)] {
    // A newer page is read when it completes.
    if (!closed_ && download == downloads_ && pageCompleted_) {
      try {
        shown_ = browser_.Document();
        sequencer_.StartReadingAt(0);
        TakeIn(*shown_);
      } catch (...) {
      }
    }
    done();
  });
}

void PageEvents::PageChanged(int32_t characters) {
  if (closed_ || !pageCompleted_ || !shown_ || characters < kLargeChange) return;
  // Only while nothing is being read: a reading goes on with what it has.
  if (!ReadingOn() || list_.UnitCursor != 0 || speech_.IsSpeaking()) return;
  const uint32_t now = loop_.TickCount();
  if (changeSaid_ && static_cast<uint32_t>(now - *changeSaid_) < kPageChangedGap) return;
  changeSaid_ = now;
  Notice(kPageChanged);
}

void PageEvents::WatchdogTick() {
  if (closed_) return;
  if (auto dialUp = platform::FindWindowByTitle(windows_, kDialUpTitle, "")) {
    DismissWindow(*dialUp, kNotConnected, 5000, platform::kEscapeKey);
  } else if (auto failure = platform::FindWindow(windows_, kNavigationErrorTitle)) {
    DismissWindow(*failure, kCannotFind, 2500, platform::kReturnKey);
  } else if (auto dialog = platform::FindWindow(windows_, kPageDialogTitle)) {
    DismissPageDialog(*dialog);
  }
}

void PageEvents::DismissWindow(const platform::WindowInfo& window, const char* message,
                               uint32_t wait, int key) {
  w_.TimerControlSituacio.SetEnabled(false);
  const uint32_t start = loop_.TickCount();
  if (ReadingOn()) {
    // A message still being spoken (the failed page's own announcement)
    // would drop this one; it gets the time of the wait to end.
    WaitForSilence(start, wait);
    speech_.UseItemVoice();
    speech_.SpeakMessage(message);
  }
  const uint32_t waited = loop_.TickCount() - start;
  if (waited < wait) platform::WaitProcessingMessages(loop_, wait - waited);
  windows_.BringToTop(window.handle);
  w_.PressKey(key);
  w_.TimerControlSituacio.SetEnabled(true);
}

void PageEvents::WaitForSilence(uint32_t since, uint32_t longest) {
  while (speech_.upcTVStatus() != 0 && static_cast<uint32_t>(loop_.TickCount() - since) < longest) {
    platform::WaitProcessingMessages(loop_, kSpeechPoll);
  }
}

void PageEvents::DismissPageDialog(const platform::WindowInfo& window) {
  w_.TimerControlSituacio.SetEnabled(false);
  const uint64_t download = downloads_;
  const bool interrupted =
      SpeakOverReading(kPageDialogPrefix + window.text.substr(0, kPageDialogTextSpoken));
  windows_.BringToTop(window.handle);
  w_.PressKey(window.answerKey != 0 ? window.answerKey : platform::kReturnKey);
  w_.TimerControlSituacio.SetEnabled(true);
  ReadOn(interrupted, download);
}

void PageEvents::Notice(const std::string& text) {
  if (closed_) return;
  w_.StatusBar1.SetText(text);
  // Said over the reading without holding the window (it may come from a
  // key's own handling); the unit it cuts is read again after it.
  if (ReadingOn()) sequencer_.SpeakAside(text, speech_.AppliedRate);
}

void PageEvents::RenameControls() {
  reading::RenameControls(list_, controlUnits_, controls_, !speech_.CatalanActive);
  reading::RenameNotes(list_, noteUnits_, notes_, !speech_.CatalanActive);
}

bool PageEvents::SpeakOverReading(const std::string& message) {
  if (!ReadingOn()) return false;
  const bool interrupted = speech_.IsSpeaking();
  if (interrupted) sequencer_.StepBackAndStop();
  const uint32_t start = loop_.TickCount();
  WaitForSilence(start, kPageDialogLongestWait);
  speech_.UseItemVoice();
  speech_.SpeakMessage(message);
  WaitForSilence(start, kPageDialogLongestWait);
  return interrupted;
}

void PageEvents::ReadOn(bool interrupted, uint64_t download) {
  if (interrupted && ReadingOn() && download == downloads_ && !speech_.IsSpeaking()) {
    sequencer_.SpeakNext();
  }
}

}  // namespace sonavia::shell
