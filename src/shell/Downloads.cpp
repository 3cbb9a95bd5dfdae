#include "shell/Downloads.h"

#include <utility>

namespace sonavia::shell {

std::string FreeFileName(const std::string& wanted,
                         const std::function<bool(const std::string&)>& exists) {
  std::string name;
  for (const char c : wanted) {
    if (c == '/' || c == '\\' || c == '\0') {
      name += '_';
    } else {
      name += c;
    }
  }
  name.erase(0, name.find_first_not_of(". "));
  if (name.empty()) name = "baixada";
  if (!exists(name)) return name;
  // The number goes before the extension, so that the file still opens
  // with its program; ".tar.gz" counts as one.
  size_t dot = name.rfind('.');
  if (dot != std::string::npos && dot >= 4 && name.compare(dot - 4, 4, ".tar") == 0) dot -= 4;
  const std::string stem = dot == std::string::npos ? name : name.substr(0, dot);
  const std::string extension = dot == std::string::npos ? "" : name.substr(dot);
  for (int n = 1;; ++n) {
    const std::string candidate = stem + " (" + std::to_string(n) + ")" + extension;
    if (!exists(candidate)) return candidate;
  }
}

std::string SaveFailureText(SaveFailure failure) {
  switch (failure) {
    case SaveFailure::Network:
      return "la connexió s'ha tallat";
    case SaveFailure::Disk:
      return "no es pot escriure a la carpeta de baixades";
    case SaveFailure::Server:
      return "el lloc no l'ha donat";
    case SaveFailure::Cancelled:
      return "s'ha cancel·lat";
    case SaveFailure::Other:
      break;
  }
  return "error desconegut";
}

DownloadNotices::DownloadNotices(platform::EventLoop& loop,
                                 std::function<void(const std::string&)> notice)
    : loop_(loop), notice_(std::move(notice)), start_(loop.CreateTimer()) {
  start_->SetEnabled(false);
  start_->SetInterval(kSaveStartHeld);
  start_->SetOnTimer([this] {
    start_->SetEnabled(false);
    if (!closed_ && !heldStart_.empty()) notice_(std::exchange(heldStart_, {}));
  });
}

void DownloadNotices::Saving(const FileSave& file) {
  if (closed_) return;
  const uint32_t now = loop_.TickCount();
  switch (file.stage) {
    case FileSaveStage::Started:
      lastSaid_[file.id] = now;
      // A start held already (two files at once) is said now.
      if (!heldStart_.empty()) notice_(heldStart_);
      heldStart_ = "Desant el fitxer " + file.name;
      start_->SetEnabled(false);
      start_->SetEnabled(true);
      return;
    case FileSaveStage::Progress: {
      const auto last = lastSaid_.find(file.id);
      // An unsigned difference: a wrap of the tick count changes nothing. A
      // file all there is told saved next.
      if (last == lastSaid_.end() || static_cast<uint32_t>(now - last->second) < kSaveProgressGap ||
          file.received == file.total)
        return;
      last->second = now;
      if (file.total > 0) {
        notice_(file.name + ": " + std::to_string(file.received * 100 / file.total) + " % desat");
      } else {
        notice_(file.name + ": " + std::to_string(file.received / 1000000) + " MB desats");
      }
      return;
    }
    case FileSaveStage::Saved:
      heldStart_.clear();
      lastSaid_.erase(file.id);
      notice_("Fitxer desat a la carpeta de baixades: " + file.name);
      return;
    case FileSaveStage::Failed:
      heldStart_.clear();
      lastSaid_.erase(file.id);
      notice_("No he pogut desar el fitxer " + file.name + ": " + SaveFailureText(file.failure));
      return;
  }
}

}  // namespace sonavia::shell
