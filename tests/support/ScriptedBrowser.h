// A scripted stand-in for the browser component: each page known by its
// address raises the component's events at set virtual times, and every
// call is recorded.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "shell/BrowserComponent.h"
#include "support/SimulatedEventLoop.h"

namespace sonavia::testing {

struct ScriptedPage {
  std::string title;
  std::string body = "<body></body>";
  bool hasBody = true;
  std::vector<std::string> links;  // full addresses, in document order
  int frames = 0;                  // frame documents completing before the top one
  uint32_t loadTime = 300;         // ms from DownloadBegin to the top DocumentComplete
  std::string lang;                // the language the document names
  std::vector<reading::PageControl> controls{};     // numbered by the body's control marks
  std::vector<reading::StructureNote> notes{};      // numbered by the body's structure marks
  std::optional<shell::BrowserDocument> article{};  // as the reader view found it
  shell::PageElements elements{};                   // what a switch user can press
  int lateFrames = 0;                               // frames added once the top one completed
  // Frames keep being added before the top document can complete, one
  // every this many ms, and it never does; 0 for a page that ends.
  uint32_t endlessFrameGap = 0;
  // The top document completes once its text has settled, and the rest
  // (pictures, frames) goes on loading this many ms more, with a progress
  // figure every second, before the download completes; 0 for a page that
  // has loaded whole when it completes.
  uint32_t restTime = 0;
};

class ScriptedBrowser : public shell::BrowserComponent {
 public:
  explicit ScriptedBrowser(SimulatedEventLoop& loop) : loop_(loop) {}

  void AddPage(const std::string& address, ScriptedPage page) { pages_[address] = std::move(page); }

  void Navigate(const std::string& address) override;
  void GoBack() override { Call("GoBack"); }
  void GoForward() override { Call("GoForward"); }
  void Refresh() override;
  void Stop() override { Call("Stop"); }
  int32_t QueryStatusWB(int32_t command) override;
  void ExecWB(int32_t command, int32_t option) override;

  const shell::BrowserDocument& Document() override;
  std::string LocationName() override;
  std::string LocationURL() override { return location_; }
  bool Busy() override { return busy_; }

  // Records the marks as "<ms> Text(UN)", "<ms> Image2(desc)",
  // "<ms> Link1(PRIMER)" and "<ms> Hide".
  void ShowReadingMark(const reading::ReadingMark& mark) override;
  void HideReadingMark() override { marks.push_back(std::to_string(loop_.Elapsed()) + " Hide"); }
  std::vector<std::string> marks;
  // The zoom every page is shown at, in percent.
  void SetZoom(int percent) override { zoom = percent; }
  int zoom = 100;
  // The page's elements: those framed now ([first, last], or -1), and the
  // one last pressed (-1 for none).
  void ListPageElements(std::function<void(shell::PageElements)> done) override;
  void ShowPageElements(int first, int last) override { framed = {first, last}; }
  void PressPageElement(int index) override { pressed = index; }
  void TypeInPageElement(int index, const std::string& text) override {
    typed.push_back(std::to_string(index) + ":" + text);
  }
  std::vector<std::string> typed;  // what the scanning keyboard put in fields
  std::pair<int, int> framed{-1, -1};
  int pressed = -1;
  // The user moves the page's focus (`users`) or the page does; types.
  void FocusControl(const std::optional<reading::PageControl>& control, bool users) {
    Raise(events.ControlFocus, control, users);
  }
  void Type(const std::string& text) { Raise(events.Typed, text); }

  // The page's sound as the program sets it: "<ms> Under", "<ms> Full",
  // "<ms> Pause", "<ms> Resume", "<ms> Mute", "<ms> Unmute".
  void SetPageSoundUnder(bool under) override { Sound(under ? "Under" : "Full"); }
  void PausePageMedia(bool pause) override { Sound(pause ? "Pause" : "Resume"); }
  void MutePage(bool muted) override { Sound(muted ? "Mute" : "Unmute"); }
  std::vector<std::string> sound;
  // The page asks for `ask` and is refused; it opens a window of `kind`.
  void AskPermission(shell::PageAsk ask) { Raise(events.PermissionRefused, ask); }
  void OpenWindow(shell::PageWindowKind kind) { Raise(events.PageWindowOpened, kind); }

  // The page's process ends now: what was left of its load never comes.
  void EndPageProcess();

  // The page fills itself: its body is now `body`, the change reported as
  // the page view reports it.
  void Fill(const std::string& body) {
    if (!document_) return;
    shell::BrowserDocument changed(document_->Title(), body, {});
    document_ = std::move(changed);
    Raise(events.PageChanged, static_cast<int32_t>(body.size()));
  }

  // Raises StatusTextChange now, as a pointer on a link would.
  void ShowStatus(const std::string& text) { Raise(events.StatusTextChange, text); }

  std::vector<std::string> calls;
  // The events raised, in order, with their virtual times.
  std::vector<std::string> raised;
  bool failCalls = false;  // every call raises BrowserError

 private:
  void Emit(const std::string& name);
  void CompleteFrame(const ScriptedPage& page);
  void AddFramesForever(const ScriptedPage& page, uint64_t generation);
  void Sound(const char* what) { sound.push_back(std::to_string(loop_.Elapsed()) + " " + what); }
  void Call(const std::string& name) {
    calls.push_back(name);
    if (failCalls) throw shell::BrowserError(name + " failed");
  }
  SimulatedEventLoop& loop_;
  std::map<std::string, ScriptedPage> pages_;
  std::optional<shell::BrowserDocument> document_;
  std::string location_;
  shell::PageElements elements_;
  bool busy_ = false;
  uint64_t generation_ = 0;
};

}  // namespace sonavia::testing
