// The embedded page view as the behaviour sees it: calls, properties, the
// top document's snapshot and the events, in the order they come. Every
// text is UTF-8.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "reading/PageControl.h"
#include "reading/PageStructure.h"
#include "reading/ReadingFollower.h"

namespace sonavia::shell {

// A failing call or a missing document, body or property. Callers discard it.
class BrowserError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Command ids and flags of QueryStatusWB and ExecWB.
inline constexpr int32_t OLECMDID_SAVECOPYAS = 5;
inline constexpr int32_t OLECMDID_PRINT = 6;
inline constexpr int32_t OLECMDF_SUPPORTED = 1;
inline constexpr int32_t OLECMDF_ENABLED = 2;
inline constexpr int32_t OLECMDEXECOPT_PROMPTUSER = 1;

// What a page may ask of the machine, and the windows it may open.
enum class PageAsk {
  Location,
  Notifications,
  Camera,
  Microphone,
  CameraAndMicrophone,
  Screen,
  Other
};
enum class PageWindowKind { File, Colour, Date, List };

// The top document as it was when it completed.
class BrowserDocument {
 public:
  BrowserDocument() = default;
  BrowserDocument(std::string title, std::optional<std::string> bodyOuterHtml,
                  std::vector<std::string> links)
      : title_(std::move(title)), body_(std::move(bodyOuterHtml)), links_(std::move(links)) {}

  // links.length
  int32_t links_length() const { return static_cast<int32_t>(links_.size()); }
  // Links.Item(i), from 0: the link's full address.
  const std::string& Links_Item(int32_t index) const {
    if (index < 0 || index >= links_length()) throw BrowserError("no such link");
    return links_[static_cast<size_t>(index)];
  }
  const std::string& Title() const { return title_; }
  // body.outerHtml
  const std::string& body_outerHtml() const {
    if (!body_) throw BrowserError("the document has no body");
    return *body_;
  }
  // The language the document says it is written in ("en-GB"), as its
  // root element or its head names it; empty when it names none.
  const std::string& Language() const { return language_; }
  void SetLanguage(std::string language) { language_ = std::move(language); }
  // The controls outside links, in the order the body's control marks
  // number them from 1.
  const std::vector<reading::PageControl>& Controls() const { return controls_; }
  void SetControls(std::vector<reading::PageControl> controls) { controls_ = std::move(controls); }
  // The headings, lists, tables and column headers, in the order the body's
  // structure marks number them from 1.
  const std::vector<reading::StructureNote>& Notes() const { return notes_; }
  void SetNotes(std::vector<reading::StructureNote> notes) { notes_ = std::move(notes); }
  // The page's article as the reader view found it (its title, body, links,
  // controls and notes), or null when it found none.
  const BrowserDocument* Article() const { return article_.get(); }
  void SetArticle(BrowserDocument article) {
    article_ = std::make_shared<const BrowserDocument>(std::move(article));
  }

 private:
  std::string title_;
  std::string language_;
  std::optional<std::string> body_;
  std::vector<std::string> links_;
  std::vector<reading::PageControl> controls_;
  std::vector<reading::StructureNote> notes_;
  std::shared_ptr<const BrowserDocument> article_;
};

// What a switch user can press on the page, in the page's order, a consent
// dialog's buttons first.
struct PageElements {
  std::vector<reading::PageControl> elements;
  // How many of the first elements are a consent dialog's.
  size_t consent = 0;
};

class BrowserComponent : public reading::ReadingMarkView {
 public:
  ~BrowserComponent() override = default;

  virtual void Navigate(const std::string& address) = 0;
  virtual void GoBack() = 0;
  virtual void GoForward() = 0;
  virtual void Refresh() = 0;
  virtual void Stop() = 0;
  virtual int32_t QueryStatusWB(int32_t command) = 0;
  virtual void ExecWB(int32_t command, int32_t option) = 0;

  // Throws BrowserError when there is no document yet.
  virtual const BrowserDocument& Document() = 0;
  virtual std::string LocationName() = 0;
  virtual std::string LocationURL() = 0;
  // False once the whole page, frames included, has loaded.
  virtual bool Busy() = 0;

  // Marks on the page the unit being read; a view that cannot draw it
  // shows nothing.
  void ShowReadingMark(const reading::ReadingMark& /*mark*/) override {}
  void HideReadingMark() override {}
  // Shows this and every later page at `percent` of its size; a view that
  // cannot zoom shows it as it is.
  virtual void SetZoom(int /*percent*/) {}
  // The page's sound: lowered under the speech or back to its own level;
  // its media paused or played again; all of it off or on.
  virtual void SetPageSoundUnder(bool /*under*/) {}
  virtual void PausePageMedia(bool /*pause*/) {}
  virtual void MutePage(bool /*muted*/) {}
  // The page's elements a switch user can press, handed over when they have
  // been gathered (a view that has none hands over none).
  virtual void ListPageElements(std::function<void(PageElements)> done) { done({}); }
  // Scrolls the elements `first` to `last` of the last list (from 0) into
  // view and frames them; a negative `first` takes the frame away.
  virtual void ShowPageElements(int /*first*/, int /*last*/) {}
  // Presses an element of the last list: a field takes the keyboard, a
  // button or a link is clicked.
  virtual void PressPageElement(int /*index*/) {}
  // Puts `text` in the field of the last list at `index` (from 0), as the
  // scanning keyboard types it.
  virtual void TypeInPageElement(int /*index*/, const std::string& /*text*/) {}
  // The reading mark takes the article's links and images, or the whole
  // page's.
  virtual void UseArticle(bool /*article*/) {}
  // Reads the top document again as it is now, into Document(), and then
  // calls `done`; a view that cannot keeps the document it has.
  virtual void ReadDocumentAgain(std::function<void()> done) { done(); }

  struct Events {
    std::function<void(const std::string& text)> StatusTextChange;
    std::function<void(int32_t progress, int32_t progressMax)> ProgressChange;
    std::function<void()> DownloadBegin;
    // Once for each frame's document and once for the top document.
    std::function<void()> DocumentComplete;
    std::function<void()> DownloadComplete;
    std::function<void()> NavigateComplete2;
    // The engine's process that held the page ended (a crash, no memory
    // left): the page shown is gone, and nothing more of its load comes.
    std::function<void()> PageProcessEnded;
    // The page asked for something and was refused.
    std::function<void(PageAsk ask)> PermissionRefused;
    // The page opened a window that takes the keyboard.
    std::function<void(PageWindowKind kind)> PageWindowOpened;
    // The page has stopped answering (a script that never ends, dialogs in a
    // loop); a reload or another address gets it a fresh process.
    std::function<void()> PageNotResponding;
    // The page's keyboard focus moved onto a control (or off the controls,
    // onto a link or nothing); `users` when the user's key or press put it
    // there.
    std::function<void(const std::optional<reading::PageControl>& control, bool users)>
        ControlFocus;
    // Text the user typed into a page's field.
    std::function<void(const std::string& text)> Typed;
    // The page's text changed after it was read (in the article, while it is
    // read), by about this many characters.
    std::function<void(int32_t characters)> PageChanged;
  };
  Events events;

 protected:
  // Raise an event when someone listens.
  template <typename F, typename... Args>
  static void Raise(const F& handler, Args&&... args) {
    if (handler) handler(std::forward<Args>(args)...);
  }
};

// The status texts the component gives.
inline constexpr const char* kStatusDone = "Listo";

// The whole titles of the component's own message windows: a navigation
// that failed, and a page's own dialog (alert, confirm, prompt, leaving).
inline constexpr const char* kNavigationErrorTitle = "Navegador web";
inline constexpr const char* kPageDialogTitle = "Missatge de la pàgina";

}  // namespace sonavia::shell
