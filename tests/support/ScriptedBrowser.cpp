#include "support/ScriptedBrowser.h"

namespace sonavia::testing {

void ScriptedBrowser::Emit(const std::string& name) {
  raised.push_back(std::to_string(loop_.Elapsed()) + " " + name);
}

void ScriptedBrowser::Navigate(const std::string& address) {
  calls.push_back("Navigate(" + address + ")");
  if (failCalls) throw shell::BrowserError("navigate failed");
  const uint64_t generation = ++generation_;
  const auto it = pages_.find(address);
  ScriptedPage missing;
  missing.body = "<body>No s'ha trobat.</body>";
  const ScriptedPage page = it != pages_.end() ? it->second : missing;
  // A newer navigation cancels what is left of this one.
  auto later = [this, generation](uint32_t delay, std::function<void()> action) {
    loop_.Post(delay, [this, generation, action] {
      if (generation == generation_) action();
    });
  };
  later(0, [this, address] {
    busy_ = true;
    Emit("DownloadBegin");
    Raise(events.DownloadBegin);
  });
  const uint32_t step = std::max<uint32_t>(page.loadTime / 4, 1);
  later(step, [this, address] {
    location_ = address;
    Emit("NavigateComplete2");
    Raise(events.NavigateComplete2);
    Emit("ProgressChange(50,100)");
    Raise(events.ProgressChange, 50, 100);
  });
  for (int f = 0; f < page.frames; ++f) {
    later(step * 2 + static_cast<uint32_t>(f), [this, page] { CompleteFrame(page); });
  }
  if (page.endlessFrameGap > 0) {
    later(step * 2, [this, page, generation] { AddFramesForever(page, generation); });
    return;
  }
  for (int f = 0; f < page.lateFrames; ++f) {
    later(page.loadTime + 100 + static_cast<uint32_t>(f) * 50,
          [this, page] { CompleteFrame(page); });
  }
  auto downloadComplete = [this] {
    Emit("ProgressChange(100,100)");
    Raise(events.ProgressChange, 100, 100);
    Emit("DownloadComplete");
    Raise(events.DownloadComplete);
  };
  for (uint32_t t = 1000; t < page.restTime; t += 1000) {
    later(page.loadTime + t, [this, t, page] {
      const int32_t percent = static_cast<int32_t>(60 + 40 * t / page.restTime);
      Emit("ProgressChange(" + std::to_string(percent) + ",100)");
      Raise(events.ProgressChange, percent, 100);
    });
  }
  if (page.restTime > 0) later(page.loadTime + page.restTime, downloadComplete);
  later(page.loadTime, [this, page, downloadComplete] {
    if (page.restTime == 0) downloadComplete();
    document_ = shell::BrowserDocument(
        page.title, page.hasBody ? std::optional(page.body) : std::nullopt, page.links);
    document_->SetLanguage(page.lang);
    document_->SetControls(page.controls);
    document_->SetNotes(page.notes);
    if (page.article) document_->SetArticle(*page.article);
    elements_ = page.elements;
    busy_ = false;
    Emit("StatusTextChange(Listo)");
    Raise(events.StatusTextChange, std::string(shell::kStatusDone));
    Emit("DocumentComplete");
    Raise(events.DocumentComplete);
  });
}

void ScriptedBrowser::ListPageElements(std::function<void(shell::PageElements)> done) {
  done(elements_);
}

void ScriptedBrowser::EndPageProcess() {
  ++generation_;
  busy_ = false;
  Emit("PageProcessEnded");
  Raise(events.PageProcessEnded);
}

void ScriptedBrowser::CompleteFrame(const ScriptedPage& page) {
  document_ = shell::BrowserDocument(
      page.title, page.hasBody ? std::optional(page.body) : std::nullopt, page.links);
  document_->SetLanguage(page.lang);
  Emit("DocumentComplete(frame)");
  Raise(events.DocumentComplete);
}

void ScriptedBrowser::AddFramesForever(const ScriptedPage& page, uint64_t generation) {
  // Each frame's completion adds the next, until another navigation.
  if (generation != generation_) return;
  CompleteFrame(page);
  loop_.Post(page.endlessFrameGap,
             [this, page, generation] { AddFramesForever(page, generation); });
}

void ScriptedBrowser::ShowReadingMark(const reading::ReadingMark& mark) {
  std::string kind = mark.kind == reading::MarkKind::Text    ? "Text"
                     : mark.kind == reading::MarkKind::Image ? "Image" + std::to_string(mark.item)
                                                             : "Link" + std::to_string(mark.item);
  marks.push_back(std::to_string(loop_.Elapsed()) + " " + kind + "(" + mark.text + ")");
}

void ScriptedBrowser::Refresh() {
  Call("Refresh");
  if (!location_.empty()) {
    const std::string address = location_;
    Navigate(address);
    calls.pop_back();
  }
}

int32_t ScriptedBrowser::QueryStatusWB(int32_t command) {
  calls.push_back("QueryStatusWB(" + std::to_string(command) + ")");
  if (failCalls) throw shell::BrowserError("query failed");
  if (command == shell::OLECMDID_PRINT && document_)
    return shell::OLECMDF_SUPPORTED | shell::OLECMDF_ENABLED;
  return shell::OLECMDF_SUPPORTED;
}

void ScriptedBrowser::ExecWB(int32_t command, int32_t option) {
  calls.push_back("ExecWB(" + std::to_string(command) + "," + std::to_string(option) + ")");
  if (failCalls) throw shell::BrowserError("exec failed");
}

const shell::BrowserDocument& ScriptedBrowser::Document() {
  if (!document_) throw shell::BrowserError("no document");
  return *document_;
}

std::string ScriptedBrowser::LocationName() {
  const size_t slash = location_.rfind('/');
  return slash == std::string::npos ? location_ : location_.substr(slash + 1);
}

}  // namespace sonavia::testing
