// Files saved to the download folder, as the user hears them: a name that
// never overwrites a file already there, and a notice when the saving
// starts, now and then while it goes on, and when it ends.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "platform/EventLoop.h"
#include "shell/BrowserComponent.h"

namespace sonavia::shell {

// How long at least between two progress notices of one file.
inline constexpr uint32_t kSaveProgressGap = 4000;
// A file saved within this many ms of its start is told saved only: its
// start, said first, would be cut at once.
inline constexpr uint32_t kSaveStartHeld = 500;

// A name for `wanted` that `exists` says is free: "informe.zip", else
// "informe (1).zip", "informe (2).zip"... A name that could reach another
// folder or hide the file loses its slashes and leading dots; an empty one
// is "baixada".
std::string FreeFileName(const std::string& wanted,
                         const std::function<bool(const std::string&)>& exists);

std::string SaveFailureText(SaveFailure failure);

class DownloadNotices {
 public:
  // `notice` says a text over the reading and shows it in the status bar.
  DownloadNotices(platform::EventLoop& loop, std::function<void(const std::string&)> notice);

  void Saving(const FileSave& file);
  // The window is closing: nothing more is said.
  void Close() { closed_ = true; }

 private:
  platform::EventLoop& loop_;
  std::function<void(const std::string&)> notice_;
  std::map<uint32_t, uint32_t> lastSaid_;   // by file: when it was last said
  std::unique_ptr<platform::Timer> start_;  // says the start held
  std::string heldStart_;
  bool closed_ = false;
};

}  // namespace sonavia::shell
